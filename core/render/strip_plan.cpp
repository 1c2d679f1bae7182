#include "render/strip_plan.h"

#include "render/run_geometry.h"

namespace tovrel {

int32_t frameRowOf(int64_t r, float scale, int32_t baseH) {
    const double y = sourceIndex(r, scale);
    return y > 1 && y < baseH ? static_cast<int32_t>(y) : 0;
}

int32_t frameColumnOf(int64_t j, float scale, int32_t baseW) {
    const double x = sourceIndex(j, scale);
    return x >= 1 && x < baseW ? static_cast<int32_t>(x) : 0;
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
    const int32_t firstRow = frameRowOf(first, scale, baseH);
    if (firstRow != 0) {
        if (r == first) {
            step.make = true;
            step.picture = static_cast<int32_t>((first - 1) % (s * layout.views) / s + 1);
            step.frameRow = firstRow;
        }
        if (r - first < white) {
            step.put = RowStep::Put::White;
            return step;
        }
    }
    step.put = frameRowOf(r, scale, baseH) == 0 ? RowStep::Put::Skip : RowStep::Put::Current;
    return step;
}

} // namespace tovrel
