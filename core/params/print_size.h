#pragma once
// Print size in centimetres kept in the common frame's proportion, and the
// direction mark at the end of the output file name.

#include <optional>
#include <string>

namespace tovrel {

inline constexpr double kMaxWidthCm = 300;
inline constexpr const char* kWidthLabel = "宽cm";
inline constexpr const char* kHeightLabel = "高cm";

// Width and height answer each other's changes until their texts stop
// changing, which takes a few rounds; past this depth a handler stops
// answering, so the exchange ends whatever the numbers do.
inline constexpr int kMaxSizeExchangeDepth = 16;

// The height that keeps a width in proportion, and the other way round, to
// 0.01 cm (halves to even).
double heightForWidth(double widthCm, float aspect);
double widthForHeight(double heightCm, float aspect);

// The cap's text "300" for a width above it; nothing for any other width.
std::optional<std::string> cappedWidthText(double widthCm);

// The texts the proportion lock writes into the other box, in the general
// format. A width too large for a double is above the cap like any other large
// width and is written as the cap; any other size that is not a finite number
// gives no text, and the box keeps its own.
std::optional<std::string> heightTextForWidth(double widthCm, float aspect);
std::optional<std::string> widthTextForHeight(double heightCm, float aspect);

// The output name with its direction mark switched: "a!.tif" <-> "a-.tif".
// Names that do not end in the other direction's mark are returned unchanged.
std::string withDirectionMark(const std::string& outputName, bool horizontal);

} // namespace tovrel
