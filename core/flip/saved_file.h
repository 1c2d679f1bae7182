#pragma once
// Saving an exported file so that nothing is lost: the bytes go into a new
// file beside the target, which takes the target's place only once it is
// complete and on disk.

#include "common/status.h"
#include "job/job_state.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tovrel {

// The file an export is to go to, with links and "." or ".." resolved,
// refused as a run refuses its output: no such folder, not an ordinary file,
// a file the user may not replace, one of the job's pictures.
Result<std::filesystem::path> exportTarget(const JobState& job, const std::string& path);

// target: as exportTarget gives it.
Status saveFile(const std::filesystem::path& target, std::span<const uint8_t> bytes);

} // namespace tovrel
