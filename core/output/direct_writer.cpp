#include "output/direct_writer.h"

#include "output/gather_write.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <system_error>
#include <unistd.h>

namespace tovrel {

namespace {

// Offsets, lengths and memory of direct writes: a page, a multiple of every
// disk's logical block.
constexpr int64_t kAlign = 4096;
// The buffers lie on huge pages where the system gives them: a direct write
// pins every page of its buffer, and pinning 4 KiB pages cost more than the
// disk's own time on a fast disk.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
// One buffer being filled while the other is on its way to the disk.
constexpr std::size_t kBuffers = 2;
// Chunks of a buffered file whose write-back may be under way at once.
constexpr std::size_t kBufferedInFlight = 4;

int64_t alignDown(int64_t v) {
    return v / kAlign * kAlign;
}

int64_t alignUp(int64_t v) {
    return alignDown(v + kAlign - 1);
}

// A second descriptor of fd's file, for direct writes; -1 where they do not
// fit. Memory file systems take O_DIRECT but gain nothing from it.
int openDirect(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    struct statfs fs {};
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || ::fstatfs(fd, &fs) != 0 ||
        fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC) {
        return -1;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int direct;
    do {
        direct = ::open(self.c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
    } while (direct < 0 && errno == EINTR);
    return direct;
}

int writeRange(int fd, const unsigned char* bytes, int64_t length, int64_t offset) {
    if (length <= 0) {
        return 0;
    }
    const iovec part{const_cast<unsigned char*>(bytes), static_cast<std::size_t>(length)};
    return writeAllAt(fd, std::span(&part, 1), offset);
}

} // namespace

void DirectWriter::FreeBuffer::operator()(unsigned char* p) const {
    ::operator delete[](p, std::align_val_t(align));
}

DirectWriter::DirectWriter(int fd, std::size_t pieceBytes)
    : fd_(fd), directFd_(openDirect(fd)), pieceBytes_(pieceBytes),
      writeback_(fd, kBufferedInFlight) {}

DirectWriter::~DirectWriter() {
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
            queued_.clear(); // a run that gives up needs none of them
        }
        changed_.notify_all();
        thread_.join();
    }
    if (directFd_ >= 0) {
        ::close(directFd_);
    }
}

bool DirectWriter::direct() const {
    const std::lock_guard lock(mutex_);
    return directFd_ >= 0 && !fellBack_;
}

int DirectWriter::writeBuffered(std::span<const iovec> parts, int64_t offset) {
    int64_t length = 0;
    for (const iovec& part : parts) {
        length += static_cast<int64_t>(part.iov_len);
    }
    const int err = writeAllAt(fd_, parts, offset);
    return err != 0 ? err : writeback_.written(offset, length);
}

void DirectWriter::start() {
    const std::size_t needed = static_cast<std::size_t>(alignUp(int64_t(pieceBytes_)) + 2 * kAlign);
    // Small pieces stay on small pages: a huge page costs more to clear than
    // they would gain.
    const bool huge = needed >= kHugePage;
    const std::size_t bytes = huge ? (needed + kHugePage - 1) / kHugePage * kHugePage : needed;
    const std::size_t align = huge ? kHugePage : std::size_t(kAlign);
    try {
        for (std::size_t i = 0; i < kBuffers; ++i) {
            buffers_.emplace_back(
                static_cast<unsigned char*>(::operator new[](bytes, std::align_val_t(align))),
                FreeBuffer{align});
            if (huge) {
                // Only advice: without huge pages the writes are merely slower.
                ::madvise(buffers_.back().get(), bytes, MADV_HUGEPAGE);
            }
            free_.push_back(buffers_.back().get());
        }
        thread_ = std::thread(&DirectWriter::run, this);
    } catch (const std::exception&) {
        // No memory or no thread for it: the ordinary way still works.
        ::close(directFd_);
        directFd_ = -1;
        free_.clear();
        buffers_.clear();
    }
}

int DirectWriter::write(std::span<const iovec> parts, int64_t offset) {
    std::size_t length = 0;
    for (const iovec& part : parts) {
        length += part.iov_len;
    }
    if (directFd_ >= 0 && !thread_.joinable()) {
        start();
    }
    if (directFd_ < 0 || length > pieceBytes_) {
        if (const int err = finish(); err != 0) {
            return err;
        }
        return writeBuffered(parts, offset);
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || error_ != 0; });
    if (error_ != 0) {
        return error_;
    }
    unsigned char* buffer = free_.back();
    free_.pop_back();
    lock.unlock();
    unsigned char* at = buffer + (offset - alignDown(offset));
    for (const iovec& part : parts) {
        std::memcpy(at, part.iov_base, part.iov_len);
        at += part.iov_len;
    }
    lock.lock();
    queued_.push_back({buffer, offset, length});
    changed_.notify_all();
    return 0;
}

int DirectWriter::finish() {
    if (!thread_.joinable()) {
        return 0; // every write so far has said how it went
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queued_.empty() && !busy_; });
    return error_;
}

void DirectWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (queued_.empty()) {
            return;
        }
        const Piece piece = queued_.front();
        queued_.pop_front();
        busy_ = true;
        // After a failure the run is over: its pieces need not reach the disk.
        const bool skip = error_ != 0;
        lock.unlock();
        const int err = skip ? 0 : writePiece(piece);
        lock.lock();
        if (error_ == 0) {
            error_ = err;
        }
        busy_ = false;
        free_.push_back(piece.buffer);
        changed_.notify_all();
    }
}

int DirectWriter::writePiece(const Piece& piece) {
    const int64_t first = alignDown(piece.offset);
    auto bytesAt = [&](int64_t offset) { return piece.buffer + (offset - first); };
    const int64_t end = piece.offset + static_cast<int64_t>(piece.length);
    const int64_t bodyStart = alignUp(piece.offset);
    const int64_t bodyEnd = std::max(bodyStart, alignDown(end));
    bool fellBack;
    {
        const std::lock_guard lock(mutex_);
        fellBack = fellBack_;
    }
    if (fellBack) {
        const iovec whole{bytesAt(piece.offset), piece.length};
        return writeBuffered(std::span(&whole, 1), piece.offset);
    }
    int64_t at = bodyStart;
    while (at < bodyEnd) {
        const ssize_t n =
            ::pwrite(directFd_, bytesAt(at), static_cast<std::size_t>(bodyEnd - at), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EINVAL) {
            // The file system refuses after all, or a short write left an
            // unaligned rest: the ordinary way says what is wrong, if anything.
            const std::lock_guard lock(mutex_);
            fellBack_ = true;
            break;
        }
        if (n <= 0) {
            return n == 0 ? ENOSPC : errno;
        }
        at += n;
        if (at % kAlign != 0) {
            break;
        }
    }
    int err = writeRange(fd_, bytesAt(at), bodyEnd - at, at);
    // The ends share their blocks with what lies beside the piece.
    if (err == 0) {
        err = writeRange(fd_, bytesAt(piece.offset), std::min(bodyStart, end) - piece.offset,
                         piece.offset);
    }
    if (err == 0) {
        err = writeRange(fd_, bytesAt(bodyEnd), end - bodyEnd, bodyEnd);
    }
    return err;
}

} // namespace tovrel
