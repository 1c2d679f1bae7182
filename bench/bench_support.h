#pragma once
// What the benchmarks share: a measurement in a child process of its own
// (time and peak resident memory beyond the child's baseline) and dd's time
// for writing a number of bytes into a folder; big 24-bit BMP pictures to feed them.

#include "job/job_state.h"
#include "tiff/tiff_container.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace tovrel::bench {

// A run's header writer with the template of the data file at dataFile, as
// the batch tool writes it (without the pitch list); empty, having printed
// why, when the template cannot be read.
std::function<bool(JobState&, const std::filesystem::path&, TiffForm)>
benchHeaderWriter(const std::filesystem::path& dataFile);

struct Measured {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0; // user + system time of the run, its threads included
    long peakBeyondKb = 0;
    int64_t cachedBytes = -1; // of the output, left in the page cache after the run
};

// Runs fn in a child: the peak resident size is reset first, so what it
// reports is the growth fn caused.
Measured measure(const std::function<bool()>& fn);

// Seconds dd takes to write `bytes` zeros into `file` and sync it (bs=1M
// conv=fsync), or, `direct`, past the page cache as the disk's own limit
// (bs=8M oflag=direct); -1 on failure.
double timeDd(const std::filesystem::path& file, int64_t bytes, bool direct = false);

// Bytes of `file` the page cache holds now (-1 when it cannot be told).
int64_t cachedBytes(const std::filesystem::path& file);

// Writes a 24-bit bottom-up BMP row by row: fillRow(y, row) fills the stored
// row y (bottom first), whose padding starts zeroed.
void writeBmp24(const std::filesystem::path& file, int width, int height,
                const std::function<void(int y, std::vector<char>& row)>& fillRow);

} // namespace tovrel::bench
