#pragma once
// The header step of a run, shared by the window and the batch tool: the
// output file gets the data file's template, patched with the run's size and
// resolution, and its full length; then the run's pitch is recorded.

#include "common/status.h"
#include "job/job_state.h"
#include "params/pitch_store.h"
#include "tiff/tiff_container.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tovrel {

// Refuses sizes and resolutions the header cannot describe, then a missing
// data file (with the not-found message), then writes the header of the
// given form into file. Nothing is created or changed when it refuses.
// Messages name the run's output path, not the temporary file it writes into.
// colour gives the pixel format and the embedded profile.
Status writeRunHeader(const PitchStore& store, const std::filesystem::path& file,
                      const std::filesystem::path& output, int32_t tifW, int32_t tifH, float fbl,
                      TiffForm form, const OutputColour& colour = {});

// Adds the run's pitch to the pitch list when it is not there yet. The output
// does not depend on the list, so a run goes on after a failure here; the
// message says so.
Status recordRunPitch(PitchStore& store, float pitch);

// Both steps for a run's makeTif hook outside the main window: the header of
// the job's tifW, tifH, fbl and OutColour, then its pitch. Each failure's message goes
// to complain; false when no header was written.
bool writeHeaderAndRecordPitch(PitchStore& store, const JobState& job,
                               const std::filesystem::path& file, TiffForm form,
                               const std::function<void(const std::string&)>& complain);

} // namespace tovrel
