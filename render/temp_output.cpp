#include "render/temp_output.h"

#include "params/posix_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace tovrel {

TempOutput::TempOutput(std::filesystem::path path, std::filesystem::path target)
    : path_(std::move(path)), target_(std::move(target)) {}

TempOutput::TempOutput(TempOutput&& other) noexcept
    : path_(std::move(other.path_)), target_(std::move(other.target_)), pending_(other.pending_) {
    other.pending_ = false;
}

TempOutput::~TempOutput() {
    if (pending_) {
        ::unlink(path_.c_str());
    }
}

Result<TempOutput> TempOutput::create(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                      static_cast<unsigned long long>(random()));
        std::string name = ".";
        name += target.filename().string();
        name += suffix;
        std::filesystem::path candidate = folder / name;
        // O_EXCL: never open a file someone else put there, nor follow a link.
        PosixFile file = PosixFile::open(candidate, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (file.isOpen()) {
            const int closed = file.close();
            if (closed == 0) {
                return TempOutput(std::move(candidate), target);
            }
            ::unlink(candidate.c_str());
            err = closed;
        } else {
            err = errno;
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
    return Status::ok();
}

} // namespace tovrel
