#pragma once
// Thin, fully checked wrappers over POSIX file I/O for the data file and the
// output header: an owned descriptor, whole-buffer reads and writes at an
// offset, and the reason of a failure in the user's language.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace tovrel {

// An open file descriptor, closed when it goes out of scope.
class PosixFile {
  public:
    PosixFile() = default;
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // Opens path with the given open(2) flags; errno is left set on failure.
    static PosixFile open(const std::filesystem::path& path, int flags, mode_t mode = 0666);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Each returns 0 on success, otherwise the errno of the failure.
    int readAt(void* buf, std::size_t size, off_t offset) const; // all bytes or failure
    int writeAt(const void* buf, std::size_t size, off_t offset) const;
    int status(struct stat& out) const;
    int truncate(off_t length) const;
    // Has the disk set aside room for the first length bytes, growing the
    // file to that length if it is shorter; the bytes it holds stay as they are.
    int reserve(off_t length) const;
    int sync() const;
    int close(); // reports a failed close, which can hide a failed write

  private:
    int fd_ = -1;
};

// Why a system call failed, as a short Simplified Chinese phrase.
std::string systemErrorText(int err);

// Flushes a folder so that a rename inside it survives a crash.
int syncFolder(const std::filesystem::path& folder);

} // namespace tovrel
