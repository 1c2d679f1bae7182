#include "render/run_geometry.h"

#include "common/rounding.h"

#include <cstdint>
#include <limits>

namespace tovrel {

Status computeGeometry(JobState& job, const RunSettings& settings) {
    const double views = job.Views;
    const double sharp = job.Sharp;
    const double pitch = job.Pitch;
    const double ppi = settings.printerPpi;
    const bool printer = settings.printerPpi != 0;
    const double width = printer ? roundHalfEven(settings.widthCm / 2.54 * ppi)
                                 : settings.widthCm * 10 * views * sharp / pitch;
    const double height = printer ? roundHalfEven(settings.heightCm / 2.54 * ppi)
                                  : settings.heightCm * 10 * views * sharp / pitch;
    // NaN (an empty size over a pitch of 0) fails these tests too.
    if (!(width >= 1) || !(height >= 1)) {
        return Status::fail("打印尺寸太小：输出图像的宽度和高度至少要有 1 个像素。"
                            "请检查宽度、高度和栅距。");
    }
    const float fbl = printer ? toSingle(ppi) : toSingle(views * sharp * 10 * 2.54 / pitch);
    // The bleed, whole pixels on every side, around the trim size.
    const double bleed = 2.0 * bleedPixels(settings.press.bleedMm, fbl);
    const auto tifW = floorToLong(width);
    const auto tifH = floorToLong(height);
    const int32_t pixelBytes = settings.output.bytes();
    if (!tifW || !tifH || *tifW + bleed > std::numeric_limits<int32_t>::max() / pixelBytes ||
        *tifH + bleed > std::numeric_limits<int32_t>::max()) {
        return Status::fail("打印尺寸太大：输出图像的像素数超出了允许的范围。"
                            "请减小宽度或高度。");
    }
    job.tifW = *tifW + static_cast<int32_t>(bleed);
    job.tifH = *tifH + static_cast<int32_t>(bleed);
    job.fbl = fbl;
    job.RowBytes = job.tifW * pixelBytes;
    job.OutColour = settings.output;
    return Status::ok();
}

float outputScale(const JobState& job) {
    const double outAspect = static_cast<double>(job.tifW) / job.tifH;
    const double frameAspect = static_cast<double>(job.BaseW) / job.BaseH;
    if (outAspect >= frameAspect) {
        return toSingle(static_cast<double>(job.tifW) / job.BaseW);
    }
    return toSingle(static_cast<double>(job.tifH) / job.BaseH);
}

void setScaleAndStrip(JobState& job) {
    job.Scale = outputScale(job);
    job.SharpB = static_cast<uint8_t>(stripWidth(job.Sharp));
}

StripLayout runStripLayout(const JobState& job, const RunSettings& settings) {
    return {job.ViewCount, job.SharpB, settings.whiteGaps, settings.whiteWidth};
}

int32_t bleedPixels(double bleedMm, double ppi) {
    // Saturates, so that a resolution no run can take (a pitch near 0) is
    // refused by the size check rather than overflowing here.
    const double pixels = roundHalfEven(bleedMm / 25.4 * ppi);
    if (!(pixels > 0)) {
        return 0;
    }
    return pixels < std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(pixels)
                                                        : std::numeric_limits<int32_t>::max();
}

int32_t stripWidth(float sharp) {
    const double s = roundHalfEven(sharp);
    return s >= 0 && s <= 255 ? static_cast<int32_t>(s) : 0;
}

double sourceIndex(int64_t i, float scale) {
    return roundHalfEven(static_cast<double>(i) / static_cast<double>(scale));
}

} // namespace tovrel
