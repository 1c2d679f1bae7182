#include "intake/preview_fit.h"

#include "common/rounding.h"

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

std::string sizeLabel(int32_t imgW, int32_t imgH) {
    return std::to_string(imgH) + " x " + std::to_string(imgW);
}

} // namespace tovrel
