#pragma once
// The source pictures of a run, open for reading their frame rows.

#include "job/job_state.h"
#include "common/status.h"
#include "params/posix_file.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovrel {

class SourceRows {
  public:
    // Opens the files of slots 1..ViewCount.
    static Result<SourceRows> open(const JobState& job);

    // Reads the first `bytes` bytes of frame row y (1 = the frame's bottom
    // row) of picture n: the bytes the run uses. A file too short to hold
    // them has changed since it was chosen, and is an error.
    Status read(int32_t n, int32_t y, unsigned char* into, std::size_t bytes) const;

  private:
    explicit SourceRows(const JobState& job) : job_(&job) {}
    const JobState* job_;
    std::array<PosixFile, kSlots> files_;
};

} // namespace tovrel
