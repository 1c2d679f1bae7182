#pragma once
// Fills the pixel area of an output file whose header is in place: every row
// the run produces, streamed in chunks, memory bounded by one chunk of rows.

#include "job/job_state.h"
#include "common/status.h"
#include "render/run_geometry.h"

#include <filesystem>
#include <functional>

namespace tovrel {

// Needs tifW, tifH, RowBytes, Scale and SharpB of the run and a job that
// passed the run's checks. Leaves OutRow holding the last row assembled (the
// carried strip row in the horizontal direction), and the file synced to disk.
Status writePixelArea(JobState& job, const RunSettings& settings,
                      const std::function<void(int)>& progress, const std::filesystem::path& file);

} // namespace tovrel
