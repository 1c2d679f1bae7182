#pragma once
// The numbers a run derives before it writes anything: the output size and
// resolution, the scale from the common frame to the output, the strip width.

#include "common/status.h"
#include "job/job_state.h"
#include "params/print_settings.h"
#include "render/strip_plan.h"

#include <cstdint>

namespace tovrel {

// Sets tifW, tifH (floor of size x 10 x pictures x Sharp / Pitch, in double,
// factors left to right), fbl (pixels per inch, as float), RowBytes (3 or 4
// bytes a pixel) and OutColour, the settings' output colour. At a
// printer's resolution R: tifW and tifH are size / 2.54 x R rounded half to
// even, and fbl is R.
// With a bleed, tifW and tifH grow by bleedPixels on every side.
// Refuses, changing nothing, sizes below one pixel and sizes that do not fit
// 32 bits.
Status computeGeometry(JobState& job, const RunSettings& settings);

// Output pixels per frame pixel: the larger of the two ratios, so the frame
// covers the whole output (ties go to the width).
float outputScale(const JobState& job);

// Sets Scale (outputScale) and SharpB (stripWidth of Sharp) for a run whose
// geometry is set.
void setScaleAndStrip(JobState& job);

// The run's strip pattern: its pictures, SharpB and white gaps.
StripLayout runStripLayout(const JobState& job, const RunSettings& settings);

// Bleed in whole pixels: bleedMm at ppi, rounded half to even.
int32_t bleedPixels(double bleedMm, double ppi);

// The strip width: Sharp rounded half to even. 0 when it falls outside 0..255.
int32_t stripWidth(float sharp);

// Frame column (or row) that output column (or row) i is sampled from:
// i / scale rounded half to even. A double, so no value can overflow.
double sourceIndex(int64_t i, float scale);

} // namespace tovrel
