#include "params/resolution.h"

#include "common/number_format.h"
#include "common/rounding.h"

#include <cmath>

namespace tovrel {

bool pitchInRange(double pitch) {
    return pitch >= 0 && pitch <= 3;
}

bool sharpnessIsWhole(double sharpness) {
    return std::isfinite(sharpness) && sharpness == std::floor(sharpness);
}

bool sharpnessInRange(double sharpness) {
    return sharpness >= 1 && sharpness <= 20 && sharpnessIsWhole(sharpness);
}

std::vector<std::string> whiteGapItems(double sharpness) {
    std::vector<std::string> items;
    if (!sharpnessInRange(sharpness)) {
        return items;
    }
    const double count = roundHalfEven(sharpness - 1);
    const std::string of = "/" + formatDouble(sharpness);
    for (int i = 1; i <= count; ++i) {
        items.push_back(std::to_string(i) + of);
    }
    return items;
}

std::optional<Resolution> printResolution(double pitch, double sharpness, uint8_t viewCount) {
    if (pitch == 0 || sharpness == 0 || viewCount <= 1) {
        return std::nullopt;
    }
    Resolution r;
    r.Pitch = toSingle(pitch);
    r.Sharp = toSingle(sharpness);
    // A pitch too small for single precision, or a resolution beyond it, has
    // no resolution to store or show: treated like a pitch not chosen.
    if (r.Pitch == 0) {
        return std::nullopt;
    }
    r.fbl = toSingle(static_cast<double>(viewCount) * r.Sharp * 10 / r.Pitch);
    if (!std::isfinite(r.fbl)) {
        return std::nullopt;
    }
    r.pixelsPerInch = roundToDecimals(static_cast<double>(r.fbl) * 2.54, 3);
    return r;
}

std::string resolutionLabel(double pixelsPerInch) {
    return formatDouble(pixelsPerInch) + kResolutionUnit;
}

} // namespace tovrel
