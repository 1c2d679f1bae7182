#pragma once
// The general number format: how every number is written into a box or label.

#include <string>

namespace tovrel {

// Shortest decimal text with at most 7 significant digits (single precision)
// or 15 (double precision): no trailing zeros or point, a 0 before the point,
// "." as the point, plain digits for whole numbers. Magnitudes of 10^digits and
// more, or below 10^-4, use an exponent ("1E+15", "1.5E-06"), which none of the
// sizes, pitches and resolutions the window shows reach.
std::string formatSingle(float value);
std::string formatDouble(double value);

} // namespace tovrel
