#include "params/posix_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrel {

PosixFile::~PosixFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

PosixFile PosixFile::open(const std::filesystem::path& path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return PosixFile(fd);
}

namespace {

// Repeats step(done, left, offset) until size bytes have moved; step is one
// pread or pwrite. A step that moves nothing ends it with errorAtEnd.
template <typename Step> int moveAll(std::size_t size, off_t offset, int errorAtEnd, Step step) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return errorAtEnd;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

int PosixFile::readAt(void* buf, std::size_t size, off_t offset) const {
    auto* p = static_cast<unsigned char*>(buf);
    // ENODATA: the file ended early.
    return moveAll(size, offset, ENODATA, [&](std::size_t done, std::size_t left, off_t at) {
        return ::pread(fd_, p + done, left, at);
    });
}

int PosixFile::writeAt(const void* buf, std::size_t size, off_t offset) const {
    const auto* p = static_cast<const unsigned char*>(buf);
    return moveAll(size, offset, EIO, [&](std::size_t done, std::size_t left, off_t at) {
        return ::pwrite(fd_, p + done, left, at);
    });
}

int PosixFile::status(struct stat& out) const {
    return ::fstat(fd_, &out) == 0 ? 0 : errno;
}

int PosixFile::truncate(off_t length) const {
    int rc;
    do {
        rc = ::ftruncate(fd_, length);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int PosixFile::reserve(off_t length) const {
    int err;
    do {
        err = ::posix_fallocate(fd_, 0, length);
    } while (err == EINTR);
    return err;
}

int PosixFile::sync() const {
    return ::fsync(fd_) == 0 ? 0 : errno;
}

int PosixFile::close() {
    const int fd = std::exchange(fd_, -1);
    // After close(2) fails the descriptor is gone anyway; never retry.
    return ::close(fd) == 0 ? 0 : errno;
}

std::string systemErrorText(int err) {
    switch (err) {
    case ENOENT:
        return "文件或文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case EROFS:
        return "所在的磁盘是只读的";
    case ENOSPC:
        return "磁盘空间不足";
    case EDQUOT:
        return "超出了磁盘配额";
    case EFBIG:
        return "文件超出了允许的大小";
    case ENOTEMPTY:
        return "这是一个不空的文件夹";
    case EISDIR:
        return "这是一个文件夹，不是文件";
    case ENOTDIR:
        return "路径中有一部分不是文件夹";
    case ENAMETOOLONG:
        return "路径太长";
    case EMFILE:
    case ENFILE:
        return "打开的文件太多";
    case ENODATA:
        return "文件比预期的短";
    case EIO:
        return "磁盘读写出错";
    default:
        return "系统错误 " + std::to_string(err) + "（" + std::strerror(err) + "）";
    }
}

int syncFolder(const std::filesystem::path& folder) {
    PosixFile dir = PosixFile::open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
    if (!dir.isOpen()) {
        return errno;
    }
    if (const int err = dir.sync()) {
        return err;
    }
    return dir.close();
}

} // namespace tovrel
