#include "params/print_size.h"

#include "common/number_format.h"
#include "common/rounding.h"

#include <cmath>

namespace tovrel {

double heightForWidth(double widthCm, float aspect) {
    return roundToDecimals(widthCm / aspect, 2);
}

double widthForHeight(double heightCm, float aspect) {
    return roundToDecimals(heightCm * aspect, 2);
}

namespace {

std::optional<std::string> sizeText(double cm) {
    if (std::isfinite(cm)) {
        return formatDouble(cm);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> cappedWidthText(double widthCm) {
    if (widthCm > kMaxWidthCm) {
        return formatDouble(kMaxWidthCm);
    }
    return std::nullopt;
}

std::optional<std::string> heightTextForWidth(double widthCm, float aspect) {
    return sizeText(heightForWidth(widthCm, aspect));
}

std::optional<std::string> widthTextForHeight(double heightCm, float aspect) {
    const double width = widthForHeight(heightCm, aspect);
    if (width == HUGE_VAL) {
        return cappedWidthText(width);
    }
    return sizeText(width);
}

std::string withDirectionMark(const std::string& outputName, bool horizontal) {
    const std::string from = horizontal ? "!.tif" : "-.tif";
    const std::string to = horizontal ? "-.tif" : "!.tif";
    // Both marks are plain ASCII, so comparing bytes compares characters, and
    // a name ending in one is longer than 5 characters exactly when it is
    // longer than 5 bytes.
    if (outputName.size() > from.size() &&
        outputName.compare(outputName.size() - from.size(), from.size(), from) == 0) {
        return outputName.substr(0, outputName.size() - from.size()) + to;
    }
    return outputName;
}

} // namespace tovrel
