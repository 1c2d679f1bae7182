#include "flip/print_mapping.h"

#include "render/strip_plan.h"

namespace tovrel {

PrintMapping::PrintMapping(const JobState& job, const RunSettings& settings)
    : settings_(settings), layout_(runStripLayout(job, settings)), tifW_(job.tifW), tifH_(job.tifH),
      baseW_(job.BaseW), baseH_(job.BaseH),
      scale_(job.Scale), grid_{static_cast<double>(job.Views) * static_cast<double>(job.Sharp), 0} {
    if (settings.printerPpi != 0) {
        grid_ = {printerLensPixels(settings.printerPpi, job.Pitch), lensAxisLength() / 2.0};
        cells_ = printerPattern(job, settings).lenses;
    }
}

double PrintMapping::pictureCentrePhase(int32_t n) const {
    const int32_t s = layout_.strip;
    const int32_t white = layout_.whiteGaps ? layout_.whiteWidth : 0;
    if (!cells_.empty()) {
        // Each picture has a V-th of the lens, white at the end of its share.
        const double visible = 1 - static_cast<double>(white) / s;
        return ((n - 1) + visible / 2) / layout_.views;
    }
    // White ends a vertical strip and begins a horizontal one.
    const int32_t firstVisible = horizontal() ? white : 0;
    const double centre = (n - 1) * s + firstVisible + (s - white) / 2.0;
    return centre / grid_.width;
}

LensAxisPixel PrintMapping::lensPixel(int64_t a) const {
    if (!cells_.empty()) {
        return cellPixel(a);
    }
    if (horizontal()) {
        return rowPixel(a + 1);
    }
    const StripSource source = stripSource(a, tifW_, layout_);
    if (source.picture == 0) {
        return {LensAxisPixel::Kind::White, 0, 0};
    }
    return {LensAxisPixel::Kind::Picture, source.picture,
            frameColumnOf(source.column, scale_, baseW_)};
}

// Row r holds what the run puts there: white, or the row made at the first
// row of its strip.
LensAxisPixel PrintMapping::rowPixel(int64_t r) const {
    const RowStep step = horizontalStep(r, layout_, scale_, baseH_);
    if (step.put == RowStep::Put::White) {
        return {LensAxisPixel::Kind::White, 0, 0};
    }
    const RowStep first = horizontalStep(r - (r - 1) % layout_.strip, layout_, scale_, baseH_);
    return {LensAxisPixel::Kind::Picture, first.picture, first.frameRow};
}

// At a printer's resolution every position shows its own cell.
LensAxisPixel PrintMapping::cellPixel(int64_t a) const {
    const GridCell& cell = cells_[std::size_t(a)];
    if (cell.white) {
        return {LensAxisPixel::Kind::White, 0, 0};
    }
    return {LensAxisPixel::Kind::Picture, cell.picture, cell.source};
}

int32_t PrintMapping::crossFrameIndex(int64_t b) const {
    if (horizontal()) {
        return frameColumnOf(b + 1, scale_, baseW_);
    }
    return frameRowOf(b + 1, scale_, baseH_);
}

} // namespace tovrel
