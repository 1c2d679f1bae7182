#include "tiff/tiff_resolution.h"

#include "common/rounding.h"

namespace tovrel {

uint32_t resolutionFixed(float fbl) {
    const double scaled = roundHalfEven(static_cast<double>(fbl) * 65536.0);
    if (!(scaled >= 0)) {
        return 0;
    }
    return scaled >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(scaled);
}

std::array<uint8_t, 4> resolutionBytes(float fbl) {
    const uint32_t fixed = resolutionFixed(fbl);
    return {static_cast<uint8_t>(fixed >> 24), static_cast<uint8_t>(fixed >> 16),
            static_cast<uint8_t>(fixed >> 8), static_cast<uint8_t>(fixed)};
}

Rational resolutionRational(float fbl) {
    Rational r{resolutionFixed(fbl), 65536};
    while (r.denominator > 1 && r.numerator % 2 == 0) {
        r.numerator /= 2;
        r.denominator /= 2;
    }
    return r;
}

} // namespace tovrel
