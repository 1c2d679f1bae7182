#include "render/strip_plan.h"

#include "render/run_geometry.h"

#include <algorithm>

namespace tovrel {

int32_t nearestFrameIndex(double index, int32_t length) {
    return static_cast<int32_t>(std::clamp(index, 1.0, static_cast<double>(std::max(length, 1))));
}

int32_t frameRowOf(int64_t r, float scale, int32_t baseH) {
    return nearestFrameIndex(sourceIndex(r, scale), baseH);
}

int32_t frameColumnOf(int64_t j, float scale, int32_t baseW) {
    return nearestFrameIndex(sourceIndex(j, scale), baseW);
}

StripSource stripSource(int64_t p, int64_t width, const StripLayout& layout) {
    const int64_t s = layout.strip;
    const int64_t white = layout.whiteGaps ? layout.whiteWidth : 0;
    // Pixels 1..filled of a strip repeat its pixel 0.
    const int64_t filled = s - white - 1;
    const int64_t strip = p / s;
    const int64_t k = p % s;
    const bool whole = (strip + 1) * s <= width;
    if (whole && k >= s - white) {
        return {0, 0};
    }
    if (k == 0 || k <= filled) {
        return {static_cast<int32_t>(strip % layout.views + 1), strip * s + 1};
    }
    return {1, p + 1};
}

RowStep horizontalStep(int64_t r, const StripLayout& layout, float scale, int32_t baseH) {
    const int64_t s = layout.strip;
    const int64_t white = layout.whiteGaps ? layout.whiteWidth : 0;
    const int64_t first = r - (r - 1) % s;
    RowStep step;
    if (r == first) {
        step.make = true;
        step.picture = static_cast<int32_t>((first - 1) % (s * layout.views) / s + 1);
        step.frameRow = frameRowOf(first, scale, baseH);
    }
    step.put = r - first < white ? RowStep::Put::White : RowStep::Put::Current;
    return step;
}

} // namespace tovrel
