#include "render/source_rows.h"

#include "intake/bmp_layout.h"
#include "intake/store_identity.h"
#include "render/slot_text.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string>

namespace tovrel {

namespace {

constexpr std::size_t kHeaderBytes = 54;

uint32_t le32(const std::array<unsigned char, kHeaderBytes>& h, std::size_t at) {
    return static_cast<uint32_t>(h[at]) | static_cast<uint32_t>(h[at + 1]) << 8 |
           static_cast<uint32_t>(h[at + 2]) << 16 | static_cast<uint32_t>(h[at + 3]) << 24;
}

Status shortened(const JobState& job, int32_t n) {
    return Status::fail(slotText(n) + "的文件比选择时短，可能已被修改：请重新选择这张图片。\n" +
                        job.InPath(n));
}

// The open file must still be the picture that was chosen: the rows are
// found through the data offset, width and height read then, and another
// picture at the same path would be read with them past its own rows. A row
// store holds the run's pixels (4 bytes for CMYK).
Status checkUnchanged(const JobState& job, int32_t n, const PosixFile& file, int32_t pixelBytes) {
    std::array<unsigned char, kHeaderBytes> h{};
    const int err = file.readAt(h.data(), h.size(), 0);
    if (err == ENODATA) {
        return shortened(job, n);
    }
    if (err != 0) {
        return Status::fail("读取" + slotText(n) + "失败：" + systemErrorText(err) + "。\n" +
                            job.InPath(n));
    }
    const bool same = h[0] == 'B' && h[1] == 'M' && le32(h, 14) >= 40 &&
                      (h[28] | h[29] << 8) == 8 * pixelBytes && le32(h, 30) == 0 &&
                      static_cast<int32_t>(le32(h, 10)) == job.DataOff(n) &&
                      static_cast<int32_t>(le32(h, 18)) == job.ImgW(n) &&
                      static_cast<int32_t>(le32(h, 22)) == job.ImgH(n);
    if (!same) {
        return Status::fail(
            slotText(n) +
            "已改变：文件头与选择时不同，不能再按选择时的尺寸读取。请重新选择这张图片。\n" +
            job.InPath(n));
    }
    return Status::ok();
}

// A slot's decoded row store is read only while it still belongs to the
// picture as it is now.
Status checkStore(const JobState& job, int32_t n, const PosixFile& store) {
    const std::optional<bool> belongs = storeBelongsTo(store, job.InPath(n));
    if (!belongs) {
        return Status::fail("无法打开" + slotText(n) + "：" + systemErrorText(errno) + "。\n" +
                            job.InPath(n));
    }
    if (!*belongs) {
        return Status::fail(slotText(n) + "在选择后被修改过：请重新选择这张图片。\n" +
                            job.InPath(n));
    }
    return Status::ok();
}

// A picture read in place holds untagged sRGB pixels, which only an untagged
// RGB run takes as they are; a store made for another pixel size than the
// run's was decoded under other colour settings.
Status checkPixelFormat(const JobState& job, int32_t n, const PosixFile& file, bool stored) {
    std::array<unsigned char, 30> h{};
    const bool read = file.readAt(h.data(), h.size(), 0) == 0;
    const int bits = read ? h[28] | h[29] << 8 : 0;
    if (job.PixelBytes != job.OutColour.bytes() ||
        (stored ? read && bits != 8 * job.PixelBytes : !job.OutColour.plain())) {
        return Status::fail(slotText(n) +
                            "是按别的色彩设置准备的：请重新选择这张图片，再开始生成。\n" +
                            job.InPath(n));
    }
    return Status::ok();
}

} // namespace

Result<SourceRows> SourceRows::open(const JobState& job) {
    SourceRows rows(job);
    rows.files_.resize(job.ViewCount);
    for (int32_t n = 1; n <= job.ViewCount; ++n) {
        const bool stored = !job.RowPath(n).empty();
        // Never blocking: a picture replaced by a pipe must not hang the run.
        PosixFile file = stored ? PosixFile::open(job.RowPath(n), O_RDONLY | O_NOFOLLOW)
                                : PosixFile::open(job.InPath(n), O_RDONLY | O_NONBLOCK);
        if (!file.isOpen() && stored) {
            return Status::fail(slotText(n) + "的解码缓存已被删除：请重新选择这张图片。\n" +
                                job.InPath(n));
        }
        if (!file.isOpen()) {
            return Status::fail("无法打开" + slotText(n) + "：" + systemErrorText(errno) + "。\n" +
                                job.InPath(n));
        }
        if (stored) {
            if (Status own = checkStore(job, n, file); !own) {
                return own;
            }
        }
        if (Status fits = checkPixelFormat(job, n, file, stored); !fits) {
            return fits;
        }
        if (Status unchanged = checkUnchanged(job, n, file, job.PixelBytes); !unchanged) {
            return unchanged;
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
        return shortened(*job_, n);
    }
    if (err != 0) {
        return Status::fail("读取" + slotText(n) + "失败：" + systemErrorText(err) + "。\n" +
                            job_->InPath(n));
    }
    return Status::ok();
}

} // namespace tovrel
