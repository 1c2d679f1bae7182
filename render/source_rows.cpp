#include "render/source_rows.h"

#include "intake/bmp_layout.h"
#include "render/slot_text.h"

#include <cerrno>
#include <fcntl.h>
#include <string>

namespace tovrel {

Result<SourceRows> SourceRows::open(const JobState& job) {
    SourceRows rows(job);
    for (int32_t n = 1; n <= job.ViewCount; ++n) {
        PosixFile file = PosixFile::open(job.InPath(n), O_RDONLY);
        if (!file.isOpen()) {
            return Status::fail("无法打开" + slotText(n) + "：" + systemErrorText(errno) + "。\n" +
                                job.InPath(n));
        }
        rows.files_[std::size_t(n - 1)] = std::move(file);
    }
    return rows;
}

Status SourceRows::read(int32_t n, int32_t y, unsigned char* into, std::size_t bytes) const {
    const int64_t position = frameRowPosition(job_->FramePos(n), job_->ImgStride(n), y);
    const int err =
        files_[std::size_t(n - 1)].readAt(into, bytes, static_cast<off_t>(position - 1));
    if (err == ENODATA) {
        return Status::fail(slotText(n) + "的文件比选择时短，可能已被修改：请重新选择这张图片。\n" +
                            job_->InPath(n));
    }
    if (err != 0) {
        return Status::fail("读取" + slotText(n) + "失败：" + systemErrorText(err) + "。\n" +
                            job_->InPath(n));
    }
    return Status::ok();
}

} // namespace tovrel
