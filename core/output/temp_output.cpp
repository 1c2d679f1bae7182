#include "output/temp_output.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrel {

namespace {

constexpr std::string_view kEnding = ".tovrel.tmp";
constexpr std::size_t kHexDigits = 16;

int lockExclusive(const PosixFile& file, bool wait) {
    int rc;
    do {
        rc = ::flock(file.fd(), LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// An unnamed file in folder, locked, then given its name: no other run can
// ever see it unlocked. EOPNOTSUPP and the like when the file system or a
// missing /proc does not allow it.
int createLockedUnnamed(const std::filesystem::path& folder, const std::filesystem::path& name,
                        PosixFile& out) {
    PosixFile file = PosixFile::open(folder, O_RDWR | O_TMPFILE, 0666);
    if (!file.isOpen()) {
        return errno;
    }
    if (const int err = lockExclusive(file, true); err != 0) {
        return err;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return errno;
    }
    out = std::move(file);
    return 0;
}

// A named file, locked right after it is made.
int createLockedNamed(const std::filesystem::path& name, PosixFile& out) {
    // O_EXCL: never open a file someone else put there, nor follow a link.
    PosixFile file = PosixFile::open(name, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (!file.isOpen()) {
        return errno;
    }
    if (const int err = lockExclusive(file, true); err != 0) {
        ::unlink(name.c_str());
        return err;
    }
    out = std::move(file);
    return 0;
}

bool unnamedUnsupported(int err) {
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOENT || err == EXDEV;
}

} // namespace

bool isRunTemporaryName(std::string_view name) {
    // "." + at least one character + "." + hex digits + ending
    if (name.size() < 3 + kHexDigits + kEnding.size() || name.front() != '.' ||
        !name.ends_with(kEnding)) {
        return false;
    }
    const std::string_view rest = name.substr(0, name.size() - kEnding.size());
    const std::string_view hex = rest.substr(rest.size() - kHexDigits);
    if (rest[rest.size() - kHexDigits - 1] != '.') {
        return false;
    }
    for (const char c : hex) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

TempOutput::TempOutput(std::filesystem::path path, std::filesystem::path target, PosixFile lock)
    : path_(std::move(path)), target_(std::move(target)), lock_(std::move(lock)) {}

TempOutput::TempOutput(TempOutput&& other) noexcept
    : path_(std::move(other.path_)), target_(std::move(other.target_)),
      lock_(std::move(other.lock_)), pending_(other.pending_) {
    other.pending_ = false;
}

TempOutput::~TempOutput() {
    // Removed while still locked, so no cleanup can take it for a leftover.
    if (pending_) {
        ::unlink(path_.c_str());
    }
}

Result<TempOutput> TempOutput::create(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    removeStaleTemporaries(folder);
    std::random_device seed;
    std::mt19937_64 random(seed());
    bool unnamed = true;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(random()));
        std::string name = ".";
        name += target.filename().string();
        name += suffix;
        name += kEnding;
        std::filesystem::path candidate = folder / name;
        PosixFile file;
        if (unnamed) {
            err = createLockedUnnamed(folder, candidate, file);
            if (err != 0 && err != EEXIST && unnamedUnsupported(err)) {
                unnamed = false;
                err = createLockedNamed(candidate, file);
            }
        } else {
            err = createLockedNamed(candidate, file);
        }
        if (err == 0) {
            return TempOutput(std::move(candidate), target, std::move(file));
        }
    }
    return Status::fail("无法在输出文件夹中创建文件：" + systemErrorText(err) +
                        "。请选择一个可以写入的文件夹。\n" + folder.string());
}

Status TempOutput::commit() {
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        return Status::fail("无法用新文件替换输出文件：" + systemErrorText(errno) + "。\n" +
                            target_.string());
    }
    pending_ = false;
    // The data is on disk already; a folder that cannot be synced only risks
    // the new name after a crash, which no message can help with.
    syncFolder(target_.parent_path());
    removeStaleTemporaries(target_.parent_path());
    return Status::ok();
}

int removeStaleTemporaries(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder, ec);
    int removed = 0;
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const std::filesystem::path path = entries->path();
        if (!isRunTemporaryName(path.filename().string())) {
            continue;
        }
        PosixFile file = PosixFile::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        struct stat held {};
        if (!file.isOpen() || file.status(held) != 0 || !S_ISREG(held.st_mode) ||
            lockExclusive(file, false) != 0) {
            continue;
        }
        // Still the file that was locked under that name: then it is removed
        // while locked, so no run can have taken it up in between.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino && ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

} // namespace tovrel
