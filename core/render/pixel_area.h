#pragma once
// Fills the pixel area of an output file whose header is in place: every row
// the run produces, streamed in chunks, memory bounded by one chunk of rows.

#include "common/status.h"
#include "job/job_state.h"
#include "render/run_geometry.h"

#include <cstdint>
#include <filesystem>
#include <functional>

namespace tovrel {

struct SheetRun;

// Needs tifW, tifH, RowBytes, Scale and SharpB of the run and a job that
// passed the run's checks; the pixel area starts at areaOffset of file.
// With a sheet, tifW and tifH are the sheet's and Scale the card's.
// Leaves OutRow holding the last row assembled (the carried strip row in the
// horizontal direction), and the file synced to disk.
Status writePixelArea(JobState& job, const RunSettings& settings,
                      const std::function<void(int)>& progress, const std::filesystem::path& file,
                      int64_t areaOffset, const SheetRun* sheet = nullptr);

} // namespace tovrel
