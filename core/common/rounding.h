#pragma once
// The rounding rules used wherever a computed value becomes a whole number
// or a stored single-precision value.

#include <cstdint>
#include <optional>

namespace tovrel {

// Nearest whole number, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
double roundHalfEven(double x);

// Rounds to the given number of decimals: multiply by 10^decimals, round half
// to even, divide again (the way sizes and resolutions are shown).
double roundToDecimals(double x, int decimals);

// A double as the nearest single-precision value; magnitudes beyond the float
// range become infinities.
float toSingle(double x);

// Whole-number conversions into a signed 32-bit integer. Each rounds as its
// name says and gives nothing when the result does not fit (or x is not finite).
std::optional<int32_t> roundToLong(double x);
std::optional<int32_t> floorToLong(double x);
std::optional<int32_t> truncToLong(double x);

} // namespace tovrel
