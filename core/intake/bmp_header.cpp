#include "intake/bmp_header.h"

#include "intake/picture_file.h"
#include "intake/picture_message.h"

#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

namespace tovrel {

namespace {

constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kMinInfoHeaderBytes = 40;
constexpr size_t kHeaderBytes = kFileHeaderBytes + kMinInfoHeaderBytes;

using Header = std::array<unsigned char, kHeaderBytes>;

uint32_t le32(const Header& h, size_t at) {
    return static_cast<uint32_t>(h[at]) | static_cast<uint32_t>(h[at + 1]) << 8 |
           static_cast<uint32_t>(h[at + 2]) << 16 | static_cast<uint32_t>(h[at + 3]) << 24;
}
int32_t signed32(const Header& h, size_t at) {
    return static_cast<int32_t>(le32(h, at));
}
uint16_t le16(const Header& h, size_t at) {
    return static_cast<uint16_t>(h[at] | h[at + 1] << 8);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The fixed part of the header and the file's length in bytes.
struct RawHeader {
    Header bytes{};
    size_t got = 0;
    int64_t length = 0;
};

Result<RawHeader> readRaw(const std::filesystem::path& file) {
    const Result<OpenPicture> picture = openPictureFile(file);
    if (!picture) {
        return picture.status();
    }
    File f(streamOf(picture.value().file));
    if (!f) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "：" + systemErrorText(errno) +
                            "。");
    }
    RawHeader raw;
    raw.got = std::fread(raw.bytes.data(), 1, raw.bytes.size(), f.get());
    if (std::ferror(f.get()) || fseeko(f.get(), 0, SEEK_END) != 0) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "。");
    }
    raw.length = ftello(f.get());
    if (raw.length < 0) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "。");
    }
    return raw;
}

} // namespace

Result<BmpHeader> readBmpHeader(const std::filesystem::path& file, int32_t pixelBytes) {
    Result<RawHeader> read = readRaw(file);
    if (!read) {
        return read.status();
    }
    const RawHeader& raw = read.value();
    if (raw.got < kHeaderBytes) {
        return refusePicture(file, "文件只有 " + std::to_string(raw.length) +
                                       " 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件");
    }
    const Header& h = raw.bytes;
    if (h[0] != 'B' || h[1] != 'M') {
        return refusePicture(file, "文件开头不是“BM”标记，不是 BMP 位图文件");
    }
    const uint32_t infoBytes = le32(h, 14);
    if (infoBytes < kMinInfoHeaderBytes) {
        return refusePicture(file, "信息头长 " + std::to_string(infoBytes) +
                                       " 字节，只支持 40 字节及以上的 Windows 位图信息头");
    }
    const uint16_t bits = le16(h, 28);
    if (bits != 8 * pixelBytes) {
        return refusePicture(file,
                             "每像素 " + std::to_string(bits) + " 位，只支持 24 位真彩色图像");
    }
    const uint32_t compression = le32(h, 30);
    if (compression != 0) {
        return refusePicture(file, "图像经过压缩（压缩方式 " + std::to_string(compression) +
                                       "），只支持未压缩的图像");
    }

    BmpHeader out{signed32(h, 10), signed32(h, 18), signed32(h, 22), signed32(h, 38)};
    if (out.ImgW <= 0) {
        return refusePicture(file, "宽度为 " + std::to_string(out.ImgW) + "，宽度必须大于 0");
    }
    if (out.ImgH == 0) {
        return refusePicture(file, "高度为 0，图像中没有像素行");
    }
    if (out.ImgH < 0) {
        return refusePicture(file, "高度为 " + std::to_string(out.ImgH) +
                                       "，像素行自上而下存储，只支持自下而上存储的图像");
    }
    // rowStride needs imgW * pixelBytes + 3 to fit.
    if (int64_t{out.ImgW} * pixelBytes + 3 > kLongMax) {
        return refusePicture(file, "宽度 " + std::to_string(out.ImgW) +
                                       " 像素过大，一行的字节数超出 32 位整数的范围");
    }
    if (int64_t{out.DataOff} < int64_t{kFileHeaderBytes} + infoBytes) {
        return refusePicture(file, "像素数据的偏移为 " + std::to_string(out.DataOff) +
                                       "，落在文件头之内");
    }
    const int64_t stride = rowStride(out.ImgW, pixelBytes);
    // Every file position the job keeps must fit 32 bits.
    const int64_t areaEnd = out.DataOff + stride * out.ImgH;
    if (areaEnd > kLongMax) {
        return refusePicture(file, "像素数据到第 " + std::to_string(areaEnd) +
                                       " 字节为止，超出 32 位文件位置的范围");
    }
    // The last stored row may lack its pad bytes.
    const int64_t needed = out.DataOff + stride * (out.ImgH - 1) + int64_t{out.ImgW} * pixelBytes;
    if (raw.length < needed) {
        return refusePicture(file, "文件长 " + std::to_string(raw.length) +
                                       " 字节，但像素数据需要 " + std::to_string(needed) +
                                       " 字节，文件不完整");
    }
    return out;
}

} // namespace tovrel
