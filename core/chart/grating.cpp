#include "chart/grating.h"

#include "common/rounding.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

Grating::Grating(double period, double origin) : period_(period), origin_(origin) {}

double Grating::blackUpTo(double t) const {
    const double whole = std::floor(t / period_);
    const double into = t - whole * period_;
    return whole * (period_ / 2) + std::clamp(into, 0.0, period_ / 2);
}

uint8_t Grating::grey(int64_t i) const {
    const double start = static_cast<double>(i) - origin_;
    const double covered = std::clamp(blackUpTo(start + 1) - blackUpTo(start), 0.0, 1.0);
    return static_cast<uint8_t>(roundHalfEven(255.0 * (1.0 - covered)));
}

void Grating::fill(std::span<uint8_t> out, int64_t first) const {
    for (std::size_t k = 0; k < out.size(); ++k) {
        out[k] = grey(first + static_cast<int64_t>(k));
    }
}

} // namespace tovrel
