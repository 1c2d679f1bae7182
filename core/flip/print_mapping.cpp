#include "flip/print_mapping.h"

#include "render/strip_plan.h"

namespace tovrel {

PrintMapping::PrintMapping(const JobState& job, const RunSettings& settings)
    : settings_(settings), layout_(runStripLayout(job, settings)), tifW_(job.tifW), tifH_(job.tifH),
      baseW_(job.BaseW), baseH_(job.BaseH), scale_(job.Scale),
      lensWidth_(static_cast<double>(job.Views) * static_cast<double>(job.Sharp)) {}

LensGrid PrintMapping::grid() const {
    return {lensWidth_, 0};
}

double PrintMapping::pictureCentrePhase(int32_t n) const {
    const int32_t s = layout_.strip;
    const int32_t white = layout_.whiteGaps ? layout_.whiteWidth : 0;
    // White ends a vertical strip and begins a horizontal one.
    const int32_t firstVisible = horizontal() ? white : 0;
    const double centre = (n - 1) * s + firstVisible + (s - white) / 2.0;
    return centre / lensWidth_;
}

LensAxisPixel PrintMapping::lensPixel(int64_t a) const {
    if (horizontal()) {
        return rowPixel(a + 1);
    }
    const StripSource source = stripSource(a, tifW_, layout_);
    if (source.picture == 0) {
        return {LensAxisPixel::Kind::White, 0, 0};
    }
    const int32_t x = frameColumnOf(source.column, scale_, baseW_);
    if (x == 0) {
        return {};
    }
    return {LensAxisPixel::Kind::Picture, source.picture, x};
}

// Row r holds what the run puts there: white, nothing (black), or the row it
// made last, at or before r.
LensAxisPixel PrintMapping::rowPixel(int64_t r) const {
    const RowStep step = horizontalStep(r, layout_, scale_, baseH_);
    if (step.put == RowStep::Put::White) {
        return {LensAxisPixel::Kind::White, 0, 0};
    }
    if (step.put == RowStep::Put::Skip) {
        return {};
    }
    for (int64_t made = r; made >= 1; --made) {
        const RowStep before = horizontalStep(made, layout_, scale_, baseH_);
        if (before.make) {
            return {LensAxisPixel::Kind::Picture, before.picture, before.frameRow};
        }
    }
    // Nothing made yet: the current row is still the run's zero-filled start.
    return {};
}

int32_t PrintMapping::crossFrameIndex(int64_t b) const {
    if (horizontal()) {
        return frameColumnOf(b + 1, scale_, baseW_);
    }
    return frameRowOf(b + 1, scale_, baseH_);
}

} // namespace tovrel
