#pragma once
// One positioned write of many buffers, completed however the system splits it.

#include <cstdint>
#include <span>
#include <sys/uio.h>

namespace tovrel {

// Writes all of parts, one after the other, from a 0-based offset: pwritev,
// retried on EINTR and continued after short writes. Gives 0 or the errno
// value that stopped it; a write that makes no progress counts as a full disk.
int writeAllAt(int fd, std::span<const iovec> parts, int64_t offset);

} // namespace tovrel
