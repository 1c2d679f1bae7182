#pragma once
// What a run refuses before it touches any file.

#include "job/job_state.h"
#include "common/status.h"
#include "render/run_geometry.h"

#include <filesystem>

namespace tovrel {

// Two to four pictures, a pitch above 0, a strip width of at least one pixel
// with lenses of at most 255 pixels, and with white gaps a white width of 0
// to the strip width.
Status checkRunParameters(const JobState& job, const RunSettings& settings);

// A common frame exists and lies inside every picture, so every frame row
// can be read whole from each file.
Status checkCommonFrame(const JobState& job);

// The file the run is to produce: OutPath with links and "." or ".." parts
// resolved. Refuses an empty path, a folder that does not exist, a path that
// names something other than an ordinary file, an earlier file the user may
// not write or, in a folder where only owners remove files, not replace, and
// any of the run's source pictures.
Result<std::filesystem::path> outputTarget(const JobState& job);

} // namespace tovrel
