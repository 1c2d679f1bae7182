#include "chart/paper.h"

#include <algorithm>
#include <cctype>

namespace tovrel {

namespace {

struct PaperSheet {
    Paper paper;
    const char* name;
    double widthMm;
    double heightMm;
};

constexpr PaperSheet kSheets[] = {
    {Paper::A4, "A4", 210, 297},
    {Paper::A3, "A3", 297, 420},
    {Paper::Letter, "Letter", 215.9, 279.4},
};

const PaperSheet& sheetOf(Paper paper) {
    return *std::find_if(std::begin(kSheets), std::end(kSheets),
                         [paper](const PaperSheet& s) { return s.paper == paper; });
}

} // namespace

std::string paperName(Paper paper) {
    return sheetOf(paper).name;
}

std::optional<Paper> paperNamed(std::string_view name) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return out;
    };
    for (const PaperSheet& s : kSheets) {
        if (lower(s.name) == lower(name)) {
            return s.paper;
        }
    }
    return std::nullopt;
}

PaperArea printableArea(Paper paper) {
    const PaperSheet& s = sheetOf(paper);
    return {s.widthMm - 2 * kPaperMarginMm, s.heightMm - 2 * kPaperMarginMm};
}

} // namespace tovrel
