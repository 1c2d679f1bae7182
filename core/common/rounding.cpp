#include "common/rounding.h"

#include <cfloat>
#include <cmath>

namespace tovrel {

double roundHalfEven(double x) {
    if (!std::isfinite(x)) {
        return x;
    }
    double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5) {
        r = 2.0 * std::round(x / 2.0);
    }
    return r;
}

double roundToDecimals(double x, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = x * scale;
    // A number too large to scale has no decimals left to round.
    if (std::isfinite(x) && !std::isfinite(scaled)) {
        return x;
    }
    return roundHalfEven(scaled) / scale;
}

float toSingle(double x) {
    // Values past the largest float (after rounding) saturate to infinity,
    // as IEEE conversion does; spelled out so no conversion is out of range.
    if (std::isfinite(x) && std::fabs(x) > static_cast<double>(FLT_MAX)) {
        const double limit =
            static_cast<double>(FLT_MAX) + std::ldexp(1.0, FLT_MAX_EXP - FLT_MANT_DIG - 1);
        if (std::fabs(x) >= limit) {
            return x > 0 ? HUGE_VALF : -HUGE_VALF;
        }
        return x > 0 ? FLT_MAX : -FLT_MAX;
    }
    return static_cast<float>(x);
}

namespace {
std::optional<int32_t> wholeToLong(double whole) {
    if (!std::isfinite(whole) || whole < -2147483648.0 || whole > 2147483647.0) {
        return std::nullopt;
    }
    return static_cast<int32_t>(whole);
}
} // namespace

std::optional<int32_t> roundToLong(double x) {
    return wholeToLong(roundHalfEven(x));
}
std::optional<int32_t> floorToLong(double x) {
    return wholeToLong(std::floor(x));
}
std::optional<int32_t> truncToLong(double x) {
    return wholeToLong(std::trunc(x));
}

} // namespace tovrel
