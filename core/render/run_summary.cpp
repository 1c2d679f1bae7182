#include "render/run_summary.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "tiff/tiff_resolution.h"

#include <cmath>
#include <cstdio>

namespace tovrel {

namespace {

// A value with one decimal (two below 10 for gigabytes and more), no
// trailing zeros.
std::string shortNumber(double value, int decimals) {
    return formatDouble(roundToDecimals(value, decimals));
}

std::string twoDigits(long long value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02lld", value);
    return text;
}

} // namespace

std::string fileSizeText(uintmax_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + " 字节";
    }
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    return shortNumber(value, unit >= 2 && value < 10 ? 2 : 1) + " " + units[unit];
}

std::string durationText(double seconds) {
    if (!(seconds >= 0)) {
        seconds = 0;
    }
    if (seconds < 0.05) {
        return "不到 0.1 秒";
    }
    if (seconds < 59.95) {
        return shortNumber(seconds, 1) + " 秒";
    }
    const auto whole = static_cast<long long>(std::llround(seconds));
    if (whole < 3600) {
        return std::to_string(whole / 60) + " 分 " + twoDigits(whole % 60) + " 秒";
    }
    const long long minutes = (whole + 30) / 60;
    return std::to_string(minutes / 60) + " 时 " + twoDigits(minutes % 60) + " 分";
}

std::string recordedResolutionText(float pixelsPerInch) {
    const Rational recorded = resolutionRational(pixelsPerInch);
    return formatDouble(
        roundToDecimals(static_cast<double>(recorded.numerator) / recorded.denominator, 3));
}

std::array<std::string, 2> summaryLines(const RunSummary& run) {
    return {"已写出：" + run.path, std::to_string(run.width) + " × " + std::to_string(run.height) +
                                       " 像素，" + recordedResolutionText(run.pixelsPerInch) +
                                       " 像素/英寸，" + fileSizeText(run.bytes) + "，用时 " +
                                       durationText(run.seconds)};
}

} // namespace tovrel
