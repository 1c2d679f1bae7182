#pragma once
// Keeps what a long write has handed to the system but not yet put on disk
// to a few chunks. Each chunk written is sent to the disk at once; when more
// than `depth` are on their way, the oldest is waited for and dropped from
// the page cache. So a file of many gigabytes never piles up there: the
// progress a writer shows is the disk's own, the final sync is short, and the
// machine's memory stays free for others.

#include <cstddef>
#include <cstdint>
#include <deque>

namespace tovrel {

class WritebackWindow {
  public:
    WritebackWindow(int fd, std::size_t depth) : fd_(fd), depth_(depth) {}

    // After [offset, offset + length) has been written. Gives 0 or the errno
    // of a failed write-back (EIO, ENOSPC); a file system that cannot do this
    // is left to its own write-back, and 0 is given.
    int written(int64_t offset, int64_t length);

  private:
    struct Range {
        int64_t offset;
        int64_t length;
    };
    int fd_;
    std::size_t depth_;
    bool supported_ = true;
    std::deque<Range> pending_;
};

} // namespace tovrel
