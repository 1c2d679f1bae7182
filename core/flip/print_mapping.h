#pragma once
// What a run writes at any single output position, found through the
// engine's own mapping (strip_plan.h) without making the output: the
// positions along the lens axis (columns for vertical strips, rows for
// horizontal ones) and across it.

#include "flip/lens_sheet.h"
#include "job/job_state.h"
#include "render/printer_grid.h"
#include "render/run_geometry.h"

#include <cstdint>
#include <vector>

namespace tovrel {

// An output position along the lens axis: black, white, or picture n's
// pixels sampled at one frame column (vertical) or frame row (horizontal).
struct LensAxisPixel {
    enum class Kind : uint8_t { Black, White, Picture };
    Kind kind = Kind::Black;
    int32_t picture = 0;
    int32_t frameIndex = 0;
    bool operator==(const LensAxisPixel&) const = default;
};

class PrintMapping {
  public:
    // job: a run's job that passed planRun, with Scale and SharpB set.
    PrintMapping(const JobState& job, const RunSettings& settings);

    bool horizontal() const { return settings_.horizontal; }
    // Output pixels along and across the lens axis.
    int64_t lensAxisLength() const { return horizontal() ? tifH_ : tifW_; }
    int64_t crossAxisLength() const { return horizontal() ? tifW_ : tifH_; }
    // Frame pixels along the lens axis: the largest frameIndex there is.
    int32_t lensAxisFrameLength() const { return horizontal() ? baseH_ : baseW_; }

    // The print's lens grid: lenses of pictures x Sharp output pixels (the
    // lens pitch at the file's resolution) from the left or bottom edge; at
    // a printer's resolution R, of R x Pitch / 25.4 pixels from the centre.
    PrintLensGrid grid() const { return grid_; }

    // The phase at the middle of picture n's visible pixels under a lens.
    double pictureCentrePhase(int32_t n) const;

    // Output position a (0-based from the left or bottom edge) along the
    // lens axis.
    LensAxisPixel lensPixel(int64_t a) const;

    // The frame row (vertical) or column (horizontal) that output position b
    // across the lens axis (0-based from the bottom or left edge) is sampled
    // from.
    int32_t crossFrameIndex(int64_t b) const;

  private:
    LensAxisPixel rowPixel(int64_t r) const;
    LensAxisPixel cellPixel(int64_t a) const;

    RunSettings settings_;
    StripLayout layout_;
    int32_t tifW_, tifH_, baseW_, baseH_;
    float scale_;
    PrintLensGrid grid_;
    // At a printer's resolution: the run's pattern along the lens axis.
    std::vector<GridCell> cells_;
};

} // namespace tovrel
