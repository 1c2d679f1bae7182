#include "output/writeback_window.h"

#include <cerrno>
#include <fcntl.h>

namespace tovrel {

namespace {

int syncRange(int fd, int64_t offset, int64_t length, unsigned flags) {
    while (::sync_file_range(fd, offset, length, flags) != 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

bool unsupported(int err) {
    return err == ENOSYS || err == EINVAL || err == ESPIPE || err == EOPNOTSUPP;
}

} // namespace

int WritebackWindow::written(int64_t offset, int64_t length) {
    if (!supported_) {
        return 0;
    }
    int err = syncRange(fd_, offset, length, SYNC_FILE_RANGE_WRITE);
    if (err == 0) {
        pending_.push_back({offset, length});
    }
    while (err == 0 && pending_.size() > depth_) {
        const Range oldest = pending_.front();
        pending_.pop_front();
        err = syncRange(fd_, oldest.offset, oldest.length,
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                            SYNC_FILE_RANGE_WAIT_AFTER);
        if (err == 0) {
            // On disk now: its pages would only push out what others cache.
            ::posix_fadvise(fd_, oldest.offset, oldest.length, POSIX_FADV_DONTNEED);
        }
    }
    if (unsupported(err)) {
        supported_ = false;
        pending_.clear();
        return 0;
    }
    return err;
}

} // namespace tovrel
