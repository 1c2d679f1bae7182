#include "intake/picture_decoder.h"

#include "common/rounding.h"
#include "intake/bmp_layout.h"
#include "intake/format_decoders.h"
#include "intake/picture_file.h"
#include "intake/picture_message.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace tovrel {

namespace {

constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
constexpr size_t kSniffBytes = 128; // reaches a V5 header's colour space type

uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

PictureFormat formatOf(const std::array<uint8_t, kSniffBytes>& h, size_t got) {
    if (got >= 8 && std::memcmp(h.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
        return PictureFormat::Png;
    }
    if (got >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) {
        return PictureFormat::Jpeg;
    }
    if (got >= 4 &&
        (std::memcmp(h.data(), "II*\0", 4) == 0 || std::memcmp(h.data(), "MM\0*", 4) == 0 ||
         std::memcmp(h.data(), "II+\0", 4) == 0 || std::memcmp(h.data(), "MM\0+", 4) == 0)) {
        return PictureFormat::Tiff;
    }
    if (got >= 2 && h[0] == 'B' && h[1] == 'M') {
        // 24 bits, no compression, rows bottom-up, no embedded profile: the
        // kind a run reads in place.
        constexpr uint32_t kEmbedded = 0x4D424544; // a V5 header's 'MBED'
        const bool embedded = got >= 74 && le32(&h[14]) >= 124 && le32(&h[70]) == kEmbedded;
        const bool plain = got >= 34 && (h[28] | h[29] << 8) == 24 && le32(&h[30]) == 0 &&
                           static_cast<int32_t>(le32(&h[22])) > 0 && !embedded;
        return plain ? PictureFormat::PlainBmp : PictureFormat::Bmp;
    }
    return PictureFormat::Unknown;
}

} // namespace

namespace {

size_t readStart(const PosixFile& f, std::array<uint8_t, kSniffBytes>& h) {
    ssize_t got;
    do {
        got = ::pread(f.fd(), h.data(), h.size(), 0);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? 0 : static_cast<size_t>(got);
}

} // namespace

PictureFormat sniffFormat(const std::filesystem::path& file) {
    const Result<OpenPicture> f = openPictureFile(file);
    if (!f) {
        return PictureFormat::Unknown;
    }
    std::array<uint8_t, kSniffBytes> h{};
    return formatOf(h, readStart(f.value().file, h));
}

int32_t pixelsPerMetre(double value, int unit) {
    double perMetre = 0;
    if (unit == 2) {
        perMetre = value * 10000 / 254;
    } else if (unit == 3) {
        perMetre = value * 100;
    }
    const std::optional<int32_t> n = roundToLong(perMetre);
    return n && *n > 0 ? *n : 0;
}

Result<std::unique_ptr<PictureDecoder>> openPicture(const std::filesystem::path& file,
                                                    const PosixFile& picture, int32_t pixelBytes) {
    std::array<uint8_t, kSniffBytes> h{};
    const size_t got = readStart(picture, h);
    const PictureFormat format = formatOf(h, got);
    std::FILE* f = format == PictureFormat::Unknown ? nullptr : streamOf(picture);
    if (f == nullptr && format != PictureFormat::Unknown) {
        return Status::fail("无法读取图片文件" + quotedPath(file) + "：" + systemErrorText(errno) +
                            "。");
    }
    DecoderResult decoder = Status::fail("");
    switch (format) {
    case PictureFormat::Png:
        decoder = openPng(file, f);
        break;
    case PictureFormat::Jpeg:
        decoder = openJpeg(file, f);
        break;
    case PictureFormat::Bmp:
    case PictureFormat::PlainBmp:
        decoder = openBmp(file, f);
        break;
    case PictureFormat::Tiff:
        std::fclose(f);
        decoder = openTiff(file, picture);
        break;
    case PictureFormat::Unknown:
        return refusePicture(file, got == 0 ? "文件是空的"
                                            : "文件内容不是 BMP、PNG、JPEG 或 TIFF 图片"
                                              "（扩展名与内容不符，或文件已损坏）");
    }
    if (!decoder) {
        return decoder.status();
    }
    // The upright picture as a store of pixelBytes a pixel: every file
    // position must fit 32 bits.
    const PictureInfo& info = decoder.value()->info();
    const int64_t w = swapsSides(info.orientation) ? info.height : info.width;
    const int64_t hgt = swapsSides(info.orientation) ? info.width : info.height;
    if (w <= 0 || hgt <= 0 || w * pixelBytes + 3 > kLongMax ||
        54 + int64_t{rowStride(static_cast<int32_t>(w), pixelBytes)} * hgt > kLongMax) {
        return refusePicture(file, "图片有 " + std::to_string(info.width) + " x " +
                                       std::to_string(info.height) +
                                       " 像素，解码后超过 2 GB，太大了");
    }
    if (std::max(int64_t{info.width}, int64_t{info.height}) * pixelBytes > kMaxRowBytes) {
        return refusePicture(file, "图片有 " + std::to_string(info.width) + " x " +
                                       std::to_string(info.height) + " 像素，一行解码后超过 " +
                                       std::to_string(kMaxRowBytes >> 20) + " MB，太宽了");
    }
    return decoder;
}

} // namespace tovrel
