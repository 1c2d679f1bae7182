#pragma once
// The general number format: how every number is written into a box or label.

#include <cstdint>
#include <string>

namespace tovrel {

// Shortest decimal text with at most 7 significant digits (single precision)
// or 15 (double precision): no trailing zeros or point, a 0 before the point,
// "." as the point, plain digits for whole numbers. Magnitudes of 10^digits and
// more, or below 10^-4, use an exponent ("1E+15", "1.5E-06"), which none of the
// sizes, pitches and resolutions the window shows reach.
std::string formatSingle(float value);
std::string formatDouble(double value);

// A file size for messages, in decimal units with one decimal: "6.4 GB",
// "812.3 MB", "950 KB"; below 1000 bytes the bytes themselves ("12 字节").
std::string formatByteSize(int64_t bytes);

} // namespace tovrel
