#include "intake/preview_fit.h"

#include "common/rounding.h"

#include <algorithm>

namespace tovrel {

PreviewGeometry fitPreview(int32_t imgW, int32_t imgH, float boxW, float boxH) {
    PreviewGeometry g{};
    if (imgW < imgH) {
        g.height = boxH;
        g.width = toSingle(double{g.height} * imgW / imgH);
        g.left = toSingle((double{boxW} - g.width) / 2);
        g.top = 0;
    } else {
        g.width = boxW;
        g.height = toSingle(double{g.width} * imgH / imgW);
        g.left = 0;
        g.top = toSingle((double{boxH} - g.height) / 2);
    }
    return g;
}

std::optional<PictureShare> frameShare(int32_t imgW, int32_t imgH, int32_t frameCol,
                                       int32_t frameRow, int32_t baseW, int32_t baseH) {
    if (imgW <= 0 || imgH <= 0) {
        return std::nullopt;
    }
    // In 64 bits: anchors far outside a picture give frames far outside it.
    const int64_t left = std::max<int64_t>(int64_t{frameCol} - 1, 0);
    const int64_t right = std::min<int64_t>(int64_t{frameCol} - 1 + baseW, imgW);
    const int64_t top = std::max<int64_t>(int64_t{imgH} - (int64_t{frameRow} - 1) - baseH, 0);
    const int64_t bottom = std::min<int64_t>(int64_t{imgH} - (int64_t{frameRow} - 1), imgH);
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    const double w = imgW;
    const double h = imgH;
    return PictureShare{static_cast<double>(left) / w, static_cast<double>(top) / h,
                        static_cast<double>(right - left) / w,
                        static_cast<double>(bottom - top) / h};
}

std::string sizeLabel(int32_t imgW, int32_t imgH) {
    return std::to_string(imgH) + " x " + std::to_string(imgW);
}

} // namespace tovrel
