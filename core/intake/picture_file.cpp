#include "intake/picture_file.h"

#include "intake/picture_message.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tovrel {

Result<OpenPicture> openPictureFile(const std::filesystem::path& file) {
    OpenPicture out;
    out.file = PosixFile::open(file, O_RDONLY | O_NONBLOCK);
    if (!out.file.isOpen()) {
        return Status::fail("无法打开图片文件" + quotedPath(file) + "：" + systemErrorText(errno) +
                            "。");
    }
    if (int err = out.file.status(out.status); err != 0) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "：" + systemErrorText(err) +
                            "。");
    }
    if (!S_ISREG(out.status.st_mode)) {
        return refusePicture(file,
                             S_ISDIR(out.status.st_mode)
                                 ? "这是一个文件夹，不是图片文件"
                                 : "这不是普通文件（是管道、套接字或设备），不能作为图片读取");
    }
    const int flags = ::fcntl(out.file.fd(), F_GETFL);
    if (flags < 0 || ::fcntl(out.file.fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "：" + systemErrorText(errno) +
                            "。");
    }
    return out;
}

std::FILE* streamOf(const PosixFile& file) {
    const int fd = ::fcntl(file.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        ::close(fd);
    }
    return f;
}

} // namespace tovrel
