#include "output/gather_write.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

namespace tovrel {

int writeAllAt(int fd, std::span<const iovec> parts, int64_t offset) {
    // A short write leaves a part half done: continue from a private copy.
    std::vector<iovec> rest(parts.begin(), parts.end());
    std::size_t first = 0;
    while (first < rest.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(rest.size() - first, IOV_MAX));
        const ssize_t n = ::pwritev(fd, rest.data() + first, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return ENOSPC;
        }
        offset += n;
        auto left = static_cast<std::size_t>(n);
        while (first < rest.size() && left >= rest[first].iov_len) {
            left -= rest[first].iov_len;
            ++first;
        }
        if (left > 0) {
            rest[first].iov_base = static_cast<char*>(rest[first].iov_base) + left;
            rest[first].iov_len -= left;
        }
    }
    return 0;
}

} // namespace tovrel
