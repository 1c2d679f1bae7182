#include "render/tiff_header.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "params/posix_file.h"
#include "render/tiff_template.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace tovrel {

namespace {

// Value fields the size and resolution are written into.
constexpr std::size_t kWidthAt = 30;
constexpr std::size_t kHeightAt = 42;
constexpr std::size_t kRowsPerStripAt = 114;
constexpr std::size_t kHorizontalResolutionAt = 228;
constexpr std::size_t kVerticalResolutionAt = 236;

// The whole file must stay addressable by a signed 32-bit position.
constexpr int64_t kMaxPixelBytes = 2147483647 - static_cast<int64_t>(kTemplateSize);

constexpr uint16_t kTagStripByteCounts = 279;
constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr std::size_t kEntrySize = 12;

uint16_t getLE16(const TiffTemplate& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

uint32_t getLE32(const TiffTemplate& b, std::size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

void putLE16(TiffTemplate& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void putLE32(TiffTemplate& b, std::size_t at, uint32_t v) {
    putLE16(b, at, static_cast<uint16_t>(v));
    putLE16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

uint32_t fixedPoint(float fbl) {
    const double scaled = roundHalfEven(static_cast<double>(fbl) * 65536.0);
    if (!(scaled >= 0)) {
        return 0;
    }
    return scaled >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(scaled);
}

// Brings the template's own StripByteCounts, XResolution and YResolution in
// step with the run, so that readers which trust those tags see the same size
// and resolution. The template has passed checkTemplate, so its directory and
// the values it points to lie inside it; tags it lacks are simply not written.
void patchDirectory(TiffTemplate& h, uint32_t byteCount, uint32_t fixed) {
    const uint32_t ifd = getLE32(h, 4);
    // The rational fixed / 65536, reduced.
    uint32_t numerator = fixed;
    uint32_t denominator = 65536;
    while (denominator > 1 && numerator % 2 == 0) {
        numerator /= 2;
        denominator /= 2;
    }
    const uint16_t count = getLE16(h, ifd);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + kEntrySize * i;
        const uint16_t tag = getLE16(h, entry);
        const uint16_t type = getLE16(h, entry + 2);
        const uint32_t n = getLE32(h, entry + 4);
        if (tag == kTagStripByteCounts && n == 1 && (type == kTypeShort || type == kTypeLong)) {
            putLE16(h, entry + 2, kTypeLong);
            putLE32(h, entry + 8, byteCount);
        } else if ((tag == kTagXResolution || tag == kTagYResolution) && n == 1 &&
                   type == kTypeRational) {
            const uint32_t at = getLE32(h, entry + 8);
            putLE32(h, at, numerator);
            putLE32(h, at + 4, denominator);
        }
    }
}

Status writeFailure(const std::filesystem::path& out, const std::string& reason) {
    return Status::fail("无法写入输出文件 " + out.string() + "：" + reason + "。");
}

} // namespace

std::array<uint8_t, 4> resolutionBytes(float fbl) {
    const uint32_t fixed = fixedPoint(fbl);
    return {static_cast<uint8_t>(fixed >> 24), static_cast<uint8_t>(fixed >> 16),
            static_cast<uint8_t>(fixed >> 8), static_cast<uint8_t>(fixed)};
}

Status checkHeaderLimits(int32_t tifW, int32_t tifH, float fbl) {
    const std::string size = std::to_string(tifW) + " × " + std::to_string(tifH) + " 像素";
    if (tifW < 1 || tifH < 1) {
        return Status::fail("输出图像的尺寸 " + size + " 无效：宽度和高度都必须至少为 1 像素。");
    }
    const int64_t pixels = int64_t{tifW} * tifH;
    if (pixels > kMaxPixelBytes / 3) {
        return Status::fail("输出图像 " + size + " 太大：TIFF 文件最多只能容纳 " +
                            std::to_string(kMaxPixelBytes / 3) +
                            " 个像素。请减小打印尺寸或清晰倍数。");
    }
    if (!(fbl >= 0 && fbl < 32768)) {
        return Status::fail("输出分辨率 " + formatSingle(fbl) +
                            " 像素/英寸超出范围：它必须不小于 0 并且小于 32768。");
    }
    return Status::ok();
}

Status writeTiffHeader(const std::filesystem::path& out, const TiffTemplate& tmpl, int32_t tifW,
                       int32_t tifH, float fbl, const std::filesystem::path& shownAs) {
    if (Status limits = checkHeaderLimits(tifW, tifH, fbl); !limits) {
        return limits;
    }
    if (Status usable = checkTemplate(tmpl); !usable) {
        return usable;
    }
    const std::filesystem::path& named = shownAs.empty() ? out : shownAs;
    const int64_t pixelBytes = 3 * int64_t{tifW} * tifH;
    const off_t length = static_cast<off_t>(kTemplateSize + pixelBytes + 1);

    TiffTemplate header = tmpl;
    const uint32_t fixed = fixedPoint(fbl);
    patchDirectory(header, static_cast<uint32_t>(pixelBytes), fixed);
    putLE32(header, kWidthAt, static_cast<uint32_t>(tifW));
    putLE32(header, kHeightAt, static_cast<uint32_t>(tifH));
    putLE32(header, kRowsPerStripAt, static_cast<uint32_t>(tifH));
    const auto resolution = resolutionBytes(fbl);
    std::copy(resolution.begin(), resolution.end(), header.begin() + kHorizontalResolutionAt);
    std::copy(resolution.begin(), resolution.end(), header.begin() + kVerticalResolutionAt);

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
    if (err == 0) {
        err = file.reserve(length);
        if (err != 0 && !created) {
            file.truncate(info.st_size);
        }
    }
    if (err == 0) {
        err = file.writeAt(header.data(), header.size(), 0);
    }
    // Two zero bytes at the end: the last pixel byte and the final byte.
    const uint8_t zeros[2] = {0, 0};
    if (err == 0) {
        err = file.writeAt(zeros, sizeof zeros, length - 2);
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
        return writeFailure(named, systemErrorText(err));
    }
    return Status::ok();
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
