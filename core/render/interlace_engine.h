#pragma once
// The interlacing run: from the job state and the window's settings to a
// complete output file, or a refusal or failure with the user's message.

#include "common/status.h"
#include "job/job_state.h"
#include "render/run_geometry.h"
#include "tiff/tiff_container.h"

#include <filesystem>
#include <functional>

namespace tovrel {

enum class RunOutcome { Refused, HeaderNotWritten, Failed, Done };

struct RunHooks {
    // Writes the header of the run, in the form the run chose, into `file`
    // (a new, empty file in the output folder) and makes it full length: the
    // window's MakeTif (message boxes, pitch list reloads) or the batch
    // tool's. Returns false when the header was not written (it has told the
    // user why). Sets nothing else.
    std::function<bool(JobState& job, const std::filesystem::path& file, TiffForm form)> makeTif;
    // Progress, 0 to 1000: after each chunk of rows written, the value
    // floor(r * 1000 / tifH) for the last row r of the chunk. Rows are made
    // bottom row first, so the values rise and end at the value of the last
    // row written. May be empty.
    std::function<void(int value)> progress;
};

struct RunResult {
    RunOutcome outcome;
    Status status; // the message for Refused and Failed
};

// The whole run: geometry, the container's form (BigTIFF when the classic
// file cannot hold the image or settings.bigTiff asks for it), the refusals
// (nothing touched yet), makeTif into a new file beside OutPath, Scale, SharpB, the rows, then the
// file renamed over OutPath. A failure after the header closes every file and removes the new file;
// an earlier file at OutPath is untouched unless the run is Done. TifOK tells whether the header
// was written.
RunResult runInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks);

} // namespace tovrel
