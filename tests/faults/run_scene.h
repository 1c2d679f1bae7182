#pragma once
// A run set up for fault tests: pictures chosen into a folder, settings that
// give an exact output size, and what the folder holds afterwards.

#include "render/interlace_engine.h"
#include "tests/render/picture_fixture.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tovrel::test {

// Chooses pictures into folder (pic1.bmp ...), sets pitch 1 and sharpness 2,
// the output path folder/out.tif and settings for width x height pixels.
void setUpRun(JobState& job, RunSettings& settings, const std::filesystem::path& folder,
              const std::vector<TestPicture>& pictures, int32_t width, int32_t height);

// Names in folder.
std::set<std::string> namesIn(const std::filesystem::path& folder);

// Names in folder that have the form of a run's temporary file.
std::set<std::string> runTemporariesIn(const std::filesystem::path& folder);

// Runs with the test header and no progress; "done", or the outcome's
// message prefixed by "refused: ", "no header" or "failed: ".
std::string runAndSay(JobState& job, const RunSettings& settings);

} // namespace tovrel::test
