#pragma once
// The paper a pitch chart is printed on, and the part of it a printer prints.

#include <optional>
#include <string>
#include <string_view>

namespace tovrel {

enum class Paper { A4, A3, Letter };

// White left on every side of the paper: what most printers cannot print.
inline constexpr double kPaperMarginMm = 10;

struct PaperArea {
    double widthMm = 0; // the shorter side
    double heightMm = 0;
};

// "A4", "A3", "Letter".
std::string paperName(Paper paper);
// The paper of that name, whatever the letters' case; none for another name.
std::optional<Paper> paperNamed(std::string_view name);
// The paper less its margins, upright.
PaperArea printableArea(Paper paper);

} // namespace tovrel
