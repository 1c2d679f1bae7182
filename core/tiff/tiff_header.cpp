#include "tiff/tiff_header.h"

#include "common/number_format.h"
#include "params/posix_file.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tovrel {

namespace {

Status writeFailure(const std::filesystem::path& out, const std::string& reason) {
    return Status::fail("无法写入输出文件 " + out.string() + "：" + reason + "。");
}

// Why the room for the file could not be had, and what the user can change.
Status noRoom(const std::filesystem::path& out, int err, int64_t length) {
    const std::string needs = "这个文件需要 " + formatByteSize(length);
    if (err == ENOSPC || err == EDQUOT) {
        return Status::fail(writeFailure(out, systemErrorText(err)).message() + needs +
                            "：请腾出磁盘空间、换一个输出文件夹，或减小打印尺寸。");
    }
    if (err == EFBIG) {
        // A limit on this process's files (ulimit -f) is not the disk's doing.
        struct rlimit limit {};
        if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            limit.rlim_cur < static_cast<rlim_t>(length)) {
            return Status::fail(writeFailure(out, systemErrorText(err)).message() + needs +
                                "，超过了本程序可写文件的大小上限 " +
                                formatByteSize(static_cast<int64_t>(limit.rlim_cur)) +
                                "（ulimit -f）：请放宽这个上限，或减小打印尺寸。");
        }
        return Status::fail(writeFailure(out, systemErrorText(err)).message() + needs +
                            "，输出文件夹所在的文件系统容不下这么大的文件：请换一个输出文件夹，"
                            "或减小打印尺寸。");
    }
    return writeFailure(out, systemErrorText(err));
}

} // namespace

Status writeTiffContainer(const std::filesystem::path& out, const TiffContainer& c,
                          const std::filesystem::path& shownAs) {
    const std::filesystem::path& named = shownAs.empty() ? out : shownAs;
    const off_t length = static_cast<off_t>(c.length());

    bool created = true;
    PosixFile file = PosixFile::open(out, O_RDWR | O_CREAT | O_EXCL);
    if (!file.isOpen() && errno == EEXIST) {
        created = false;
        file = PosixFile::open(out, O_RDWR);
    }
    if (!file.isOpen()) {
        return Status::fail((created ? "无法创建输出文件 " : "无法打开输出文件 ") + named.string() +
                            "：" + systemErrorText(errno) + "。");
    }
    struct stat info;
    int err = file.status(info);
    if (err == 0 && !S_ISREG(info.st_mode)) {
        return writeFailure(named, "它不是普通文件");
    }
    // Room for the whole file first: a full disk or a size limit then stops
    // the run before any byte of a file that stood at out has changed.
    bool roomMissing = false;
    if (err == 0) {
        err = file.reserve(length);
        roomMissing = err != 0;
        if (err != 0 && !created) {
            file.truncate(info.st_size);
        }
    }
    if (err == 0) {
        err = file.writeAt(c.head.data(), c.head.size(), 0);
    }
    // The last pixel byte zero, then the tail: the file's full length.
    std::vector<uint8_t> end(1, 0);
    end.insert(end.end(), c.tail.begin(), c.tail.end());
    if (err == 0) {
        err = file.writeAt(end.data(), end.size(), c.pixelOffset() + c.pixelBytes - 1);
    }
    if (err == 0 && info.st_size > length) {
        err = file.truncate(length);
    }
    if (err == 0) {
        err = file.close();
    }
    if (err != 0) {
        if (created) {
            ::unlink(out.c_str());
        }
        return roomMissing ? noRoom(named, err, c.length())
                           : writeFailure(named, systemErrorText(err));
    }
    return Status::ok();
}

Status writeTiffHeader(const std::filesystem::path& out, const TiffTemplate& tmpl, int32_t tifW,
                       int32_t tifH, float fbl, const std::filesystem::path& shownAs,
                       bool forceBigTiff, const OutputColour& colour) {
    const Result<TiffContainer> container =
        composeTiffContainer(tifW, tifH, fbl, tmpl, forceBigTiff, colour);
    if (!container) {
        return container.status();
    }
    return writeTiffContainer(out, container.value(), shownAs);
}

Status recordPitch(PitchStore& store, float pitch) {
    auto entries = store.load();
    if (!entries) {
        return entries.status();
    }
    if (pitchListed(entries.value(), pitch)) {
        return Status::ok();
    }
    return store.append(pitch);
}

} // namespace tovrel
