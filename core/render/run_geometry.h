#pragma once
// The numbers a run derives before it writes anything: the output size and
// resolution, the scale from the common frame to the output, the strip width.

#include "job/job_state.h"
#include "common/status.h"

#include <cstdint>

namespace tovrel {

// The window's settings for a run, as plain values.
struct RunSettings {
    double widthCm = 0;     // leading number of CombK
    double heightCm = 0;    // leading number of CombG
    bool whiteGaps = false; // LB1 checked
    int32_t whiteWidth =
        0; // leading number of Combo1's selected item, rounded half even; 0 if none
    bool horizontal = false; // Op_h selected
};

// Sets tifW, tifH (floor of size x 10 x pictures x Sharp / Pitch, in double,
// factors left to right), fbl (pixels per inch, as float) and RowBytes.
// Refuses, changing nothing, sizes below one pixel and sizes that do not fit
// 32 bits.
Status computeGeometry(JobState& job, const RunSettings& settings);

// Output pixels per frame pixel: the larger of the two ratios, so the frame
// covers the whole output (ties go to the width).
float outputScale(const JobState& job);

// The strip width: Sharp rounded half to even. 0 when it falls outside 0..255.
int32_t stripWidth(float sharp);

// Frame column (or row) that output column (or row) i is sampled from:
// i / scale rounded half to even. A double, so no value can overflow.
double sourceIndex(int64_t i, float scale);

} // namespace tovrel
