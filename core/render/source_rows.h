#pragma once
// The source pictures of a run, open for reading their frame rows.

#include "common/status.h"
#include "job/job_state.h"
#include "params/posix_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovrel {

class SourceRows {
  public:
    // Opens the files of frames 1..ViewCount: one descriptor each, up to
    // kMaxFrames; no rows are held here.
    static Result<SourceRows> open(const JobState& job);

    // Reads the first `bytes` bytes of frame row y (1 = the frame's bottom
    // row) of picture n: the bytes the run uses. A file too short to hold
    // them has changed since it was chosen, and is an error.
    Status read(int32_t n, int32_t y, unsigned char* into, std::size_t bytes) const;

  private:
    explicit SourceRows(const JobState& job) : job_(&job) {}
    const JobState* job_;
    std::vector<PosixFile> files_;
};

} // namespace tovrel
