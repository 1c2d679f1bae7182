#include "tiff/tiff_container.h"

#include "common/number_format.h"
#include "tiff/big_tiff_directory.h"
#include "tiff/tiff_resolution.h"
#include "tiff/tiff_template.h"

#include <algorithm>
#include <string>

namespace tovrel {

namespace {

// Value fields the size and resolution are written into.
constexpr std::size_t kWidthAt = 30;
constexpr std::size_t kHeightAt = 42;
constexpr std::size_t kRowsPerStripAt = 114;
constexpr std::size_t kHorizontalResolutionAt = 228;
constexpr std::size_t kVerticalResolutionAt = 236;

// A classic file must stay addressable by a signed 32-bit position.
constexpr int64_t kMaxClassicPixelBytes = 2147483647 - static_cast<int64_t>(kTemplateSize);
// Far beyond any print; keeps the strip tables of a BigTIFF to a few MB.
constexpr int64_t kMaxBigPixelBytes = 4'000'000'000'000;

constexpr uint16_t kTagStripByteCounts = 279;
constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint16_t kTagSoftware = 305;
constexpr uint16_t kTagPhotoshop = 34377;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;

void putLE32(TiffTemplate& b, std::size_t at, uint32_t v) {
    for (std::size_t k = 0; k < 4; ++k) {
        b[at + k] = static_cast<uint8_t>(v >> (8 * k));
    }
}

// For sizes checkHeaderLimits accepts: their pixel area fits 64 bits.
int64_t pixelBytesOf(int32_t tifW, int32_t tifH, int32_t pixelBytes = 3) {
    return pixelBytes * int64_t{tifW} * tifH;
}

// The template with the run's size and resolution. Its own StripByteCounts,
// XResolution and YResolution are brought in step too, so that readers which
// trust those tags see the same size and resolution; tags it lacks are simply
// not written.
TiffTemplate classicHeader(const TiffTemplate& tmpl, int32_t tifW, int32_t tifH, float fbl) {
    TiffTemplate h = tmpl;
    if (const auto counts = templateField(h, kTagStripByteCounts);
        counts && counts->count == 1 && (counts->type == kTypeShort || counts->type == kTypeLong)) {
        h[counts->entryAt + 2] = kTypeLong;
        h[counts->entryAt + 3] = 0;
        putLE32(h, counts->valuesAt, static_cast<uint32_t>(pixelBytesOf(tifW, tifH)));
    }
    const Rational resolution = resolutionRational(fbl);
    for (const uint16_t tag : {kTagXResolution, kTagYResolution}) {
        if (const auto r = templateField(h, tag); r && r->count == 1 && r->type == kTypeRational) {
            putLE32(h, r->valuesAt, resolution.numerator);
            putLE32(h, r->valuesAt + 4, resolution.denominator);
        }
    }
    putLE32(h, kWidthAt, static_cast<uint32_t>(tifW));
    putLE32(h, kHeightAt, static_cast<uint32_t>(tifH));
    putLE32(h, kRowsPerStripAt, static_cast<uint32_t>(tifH));
    const auto fixed = resolutionBytes(fbl);
    std::copy(fixed.begin(), fixed.end(), h.begin() + kHorizontalResolutionAt);
    std::copy(fixed.begin(), fixed.end(), h.begin() + kVerticalResolutionAt);
    return h;
}

TiffContainer classicContainer(const TiffTemplate& tmpl, int32_t tifW, int32_t tifH, float fbl) {
    const TiffTemplate header = classicHeader(tmpl, tifW, tifH, fbl);
    return {TiffForm::Classic, {header.begin(), header.end()}, pixelBytesOf(tifW, tifH), {0}};
}

TiffContainer composedContainer(const TiffTemplate& tmpl, int32_t tifW, int32_t tifH, float fbl,
                                TiffForm form, const OutputColour& colour) {
    // The image resources as the classic header has them, resolution patched.
    const TiffTemplate patched = classicHeader(tmpl, tifW, tifH, fbl);
    const TemplateField resources = *templateField(patched, kTagPhotoshop);
    const auto from = patched.begin() + static_cast<std::ptrdiff_t>(resources.valuesAt);

    BigTiffImage image;
    image.width = static_cast<uint32_t>(tifW);
    image.height = static_cast<uint32_t>(tifH);
    image.samples = static_cast<uint16_t>(colour.bytes());
    image.profile = colour.profile;
    image.big = form == TiffForm::Big;
    const int64_t rowBytes = colour.bytes() * int64_t{tifW};
    image.rowsPerStrip =
        static_cast<uint32_t>(std::clamp<int64_t>(kMaxStripBytes / rowBytes, 1, tifH));
    image.resolution = resolutionRational(fbl);
    image.resourceType = resources.type;
    image.resources.assign(from, from + resources.count);
    // The program's name, as the classic header gives it.
    if (const auto software = templateField(patched, kTagSoftware);
        software && software->type == 2) {
        const auto at = patched.begin() + static_cast<std::ptrdiff_t>(software->valuesAt);
        image.software.assign(at, at + software->count);
    }

    const int64_t pixelBytes = pixelBytesOf(tifW, tifH, colour.bytes());
    const uint64_t pixelsEnd = kBigTiffHeaderSize + static_cast<uint64_t>(pixelBytes);
    const uint64_t ifdAt = (pixelsEnd + 7) / 8 * 8;
    TiffContainer c{form, bigTiffHeader(ifdAt, image.big), pixelBytes,
                    std::vector<uint8_t>(ifdAt - pixelsEnd, 0)};
    const std::vector<uint8_t> directory = bigTiffDirectory(image, kBigTiffHeaderSize, ifdAt);
    c.tail.insert(c.tail.end(), directory.begin(), directory.end());
    return c;
}

std::string sizeText(int32_t tifW, int32_t tifH) {
    return std::to_string(tifW) + " × " + std::to_string(tifH) + " 像素";
}

} // namespace

TiffForm tiffFormFor(int32_t tifW, int32_t tifH, bool forceBigTiff, int32_t pixelBytes) {
    const bool fits = int64_t{tifW} * tifH <= kMaxClassicPixelBytes / pixelBytes;
    return forceBigTiff || !fits ? TiffForm::Big : TiffForm::Classic;
}

int64_t pixelAreaOffset(TiffForm form, const OutputColour& colour) {
    return form == TiffForm::Big || !colour.plain() ? static_cast<int64_t>(kBigTiffHeaderSize)
                                                    : static_cast<int64_t>(kTemplateSize);
}

Status checkHeaderLimits(int32_t tifW, int32_t tifH, float fbl, bool forceBigTiff,
                         int32_t pixelBytes) {
    if (tifW < 1 || tifH < 1) {
        return Status::fail("输出图像的尺寸 " + sizeText(tifW, tifH) +
                            " 无效：宽度和高度都必须至少为 1 像素。请检查打印宽度和高度。");
    }
    if (!(fbl >= 0 && fbl < 32768)) {
        return Status::fail("输出分辨率 " + formatSingle(fbl) +
                            " 像素/英寸超出范围：它必须不小于 0 并且小于 32768。"
                            "请选用更大的栅距或更小的清晰倍数。");
    }
    if (tiffFormFor(tifW, tifH, forceBigTiff, pixelBytes) == TiffForm::Classic) {
        return Status::ok();
    }
    const int64_t rowBytes = pixelBytes * int64_t{tifW};
    if (rowBytes > kMaxStripBytes) {
        return Status::fail("输出图像 " + sizeText(tifW, tifH) + " 的一行有 " +
                            std::to_string(rowBytes) +
                            " 字节，超过了大文件每个条带 8 MiB 的上限。"
                            "请减小打印宽度或清晰倍数，或选用更大的栅距。");
    }
    if (pixelBytesOf(tifW, tifH, pixelBytes) > kMaxBigPixelBytes) {
        return Status::fail(
            "输出图像 " + sizeText(tifW, tifH) + " 需要 " +
            formatByteSize(pixelBytesOf(tifW, tifH, pixelBytes)) +
            "，超过了输出文件 4 TB 的上限。请减小打印尺寸或清晰倍数，或选用更大的栅距。");
    }
    return Status::ok();
}

Result<TiffContainer> composeTiffContainer(int32_t tifW, int32_t tifH, float fbl,
                                           const TiffTemplate& tmpl, bool forceBigTiff,
                                           const OutputColour& colour) {
    const int32_t pixelBytes = colour.bytes();
    if (Status limits = checkHeaderLimits(tifW, tifH, fbl, forceBigTiff, pixelBytes); !limits) {
        return limits;
    }
    if (Status usable = checkTemplate(tmpl); !usable) {
        return usable;
    }
    const TiffForm form = tiffFormFor(tifW, tifH, forceBigTiff, pixelBytes);
    if (form == TiffForm::Big || !colour.plain()) {
        return composedContainer(tmpl, tifW, tifH, fbl, form, colour);
    }
    return classicContainer(tmpl, tifW, tifH, fbl);
}

} // namespace tovrel
