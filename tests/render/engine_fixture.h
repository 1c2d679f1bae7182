#pragma once
// Running the engine in tests: a header writer for the hook, a record of
// what the hooks saw, sizes that give an exact output size, and the output's
// pixels.

#include "render/interlace_engine.h"
#include "tests/render/picture_fixture.h"

#include <filesystem>
#include <vector>

namespace tovrel::test {

// What the hooks of a run were called with.
struct RunRecord {
    int headers = 0;
    std::vector<int> progress;
};

// Hooks whose header is written by writeTestHeader and that record the calls.
RunHooks recordingHooks(RunRecord& record);

// Makes `file` a complete output file of the given form for the job's tifW,
// tifH, fbl and OutColour with the shipped header template, as the window's MakeTif
// does (without the pitch list).
bool writeTestHeader(JobState& job, const std::filesystem::path& file, TiffForm form);

// Print width or height in cm that gives exactly `pixels` pixels for the
// job's pictures, Sharp and Pitch.
double sizeFor(const JobState& job, int32_t pixels);

// A copy of the job whose run writes a new file at `file` (removed first,
// as a run never writes into an earlier file), for a second rendering.
JobState secondRun(const JobState& job, const std::filesystem::path& file);

// Pixel (column j, row r; r = 1 is the bottom row) of an output file's bytes.
Rgb outputPixel(const std::vector<unsigned char>& file, const JobState& job, int32_t j, int32_t r);

// Whether every pixel of output row r is black.
bool rowIsBlack(const std::vector<unsigned char>& file, const JobState& job, int32_t r);

} // namespace tovrel::test
