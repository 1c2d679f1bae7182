// TIFF through libtiff: the first page; grey, RGB (with or without alpha)
// and palette pictures of 1 to 16 bits, in strips or tiles, with any
// compression the library decodes; the orientation tag and the resolution.

#include "common/warning_log.h"
#include "intake/format_decoders.h"
#include "intake/picture_message.h"
#include "intake/pixel_rules.h"

#include <algorithm>
#include <cstdarg>
#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace tovrel {

namespace {

// A band of tile rows is held in memory at once, and a strip picture's line;
// pictures that need more are refused.
constexpr uint64_t kMaxBandBytes = 256ULL << 20;

// Copies `bits` bits from the start of `from` into `to` from bit `at` on
// (the first bit the highest of its byte, as TIFF packs samples); the
// bits of `to` it covers are zero beforehand.
void orBits(const uint8_t* from, uint64_t bits, uint8_t* to, uint64_t at) {
    const uint64_t whole = bits / 8;
    const unsigned rest = bits % 8;
    const unsigned shift = at % 8;
    uint8_t* out = to + at / 8;
    if (shift == 0 && rest == 0) {
        std::copy_n(from, whole, out);
        return;
    }
    const auto put = [&](uint64_t i, uint8_t v) {
        out[i] |= static_cast<uint8_t>(v >> shift);
        // Bits spill into the next byte only where there are any: the last
        // byte of a row may have none to give.
        if (const auto spill = static_cast<uint8_t>(v << (8 - shift)); shift != 0 && spill != 0) {
            out[i + 1] |= spill;
        }
    };
    for (uint64_t i = 0; i < whole; ++i) {
        put(i, from[i]);
    }
    if (rest != 0) {
        put(whole, static_cast<uint8_t>(from[whole] & (0xFF00u >> rest)));
    }
}

class TiffDecoder final : public PictureDecoder {
  public:
    explicit TiffDecoder(std::filesystem::path file) : file_(std::move(file)) {}
    Status open(const PosixFile& picture);
    ~TiffDecoder() override {
        if (tif_ != nullptr) {
            TIFFClose(tif_);
        }
    }
    TiffDecoder(const TiffDecoder&) = delete;
    TiffDecoder& operator=(const TiffDecoder&) = delete;

    Status decode(DecodedRows& out) override;

  private:
    Status readLayout();
    Status readPalette();
    void convert(const uint8_t* samples, uint8_t* bgr) const;
    Status decodeStrips(DecodedRows& out);
    Status decodeTiles(DecodedRows& out);
    Status failure() const { return libraryFailure(file_, "TIFF", message_); }
    Status tooLarge(uint64_t bytes) const {
        return refusePicture(file_, "TIFF 文件的一段数据需要 " + std::to_string(bytes >> 20) +
                                        " MB 内存，超过 " + std::to_string(kMaxBandBytes >> 20) +
                                        " MB 的上限");
    }
    Status unsupported(const std::string& what) const {
        return refusePicture(file_, "TIFF 文件的" + what + "不受支持");
    }

    static int onError(TIFF*, void* self, const char*, const char* format, va_list args) {
        auto* d = static_cast<TiffDecoder*>(self);
        if (d->message_.empty()) {
            char text[256];
            std::vsnprintf(text, sizeof text, format, args);
            d->message_ = text;
        }
        return 1;
    }
    // The library reads such pictures all the same: noted, not refused.
    static int onWarning(TIFF*, void* self, const char*, const char* format, va_list args) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        logWarning("图片" + quotedPath(static_cast<TiffDecoder*>(self)->file_) +
                   "：TIFF 库的提示：" + text);
        return 1;
    }

    std::filesystem::path file_;
    TIFF* tif_ = nullptr;
    std::string message_;
    uint16_t bits_ = 1, samplesPerPixel_ = 1, photometric_ = 0;
    SampleRow layout_;
    std::vector<uint8_t> palette_; // blue, green, red per entry
};

Status TiffDecoder::open(const PosixFile& picture) {
    const int fd = ::fcntl(picture.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        return Status::fail("无法读取图片文件" + quotedPath(file_) + "：" + systemErrorText(errno) +
                            "。");
    }
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, this);
    // "m": read, not map, the file: a mapped file counts whole in memory.
    tif_ = TIFFFdOpenExt(fd, file_.c_str(), "rm", options);
    TIFFOpenOptionsFree(options);
    if (tif_ == nullptr) {
        ::close(fd);
        return failure();
    }
    uint32_t w = 0, h = 0;
    if (!TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &w) ||
        !TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &h) || w == 0 || h == 0 || w > 0x7FFFFFFF ||
        h > 0x7FFFFFFF) {
        return refusePicture(file_, "TIFF 文件没有有效的宽度和高度");
    }
    info_.width = static_cast<int32_t>(w);
    info_.height = static_cast<int32_t>(h);
    uint16_t orientation = 1, unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_ORIENTATION, &orientation);
    info_.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    float xres = 0;
    if (TIFFGetField(tif_, TIFFTAG_XRESOLUTION, &xres)) {
        TIFFGetFieldDefaulted(tif_, TIFFTAG_RESOLUTIONUNIT, &unit);
        info_.resolution = pixelsPerMetre(xres, unit);
    }
    uint32_t iccBytes = 0;
    const uint8_t* icc = nullptr;
    if (TIFFGetField(tif_, TIFFTAG_ICCPROFILE, &iccBytes, &icc) && icc != nullptr) {
        info_.profile = embeddedIcc({icc, icc + iccBytes});
    }
    return readLayout();
}

Status TiffDecoder::readLayout() {
    uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT, compression = 1;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bits_);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel_);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric_)) {
        return unsupported("颜色方式（缺少 PhotometricInterpretation）");
    }
    if (!TIFFIsCODECConfigured(compression)) {
        return unsupported("压缩方式 " + std::to_string(compression));
    }
    if (format != SAMPLEFORMAT_UINT) {
        return unsupported("样本格式（只支持无符号整数）");
    }
    if (planar != PLANARCONFIG_CONTIG && samplesPerPixel_ > 1) {
        return unsupported("分平面存储方式");
    }
    uint16_t extras = 0;
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_EXTRASAMPLES, &extras, &extraTypes);
    const bool lowBits = bits_ == 1 || bits_ == 2 || bits_ == 4;
    int colours = 0;
    switch (photometric_) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        colours = bits_ == 8 || bits_ == 16 || lowBits ? 1 : 0;
        break;
    case PHOTOMETRIC_RGB:
        colours = bits_ == 8 || bits_ == 16 ? 3 : 0;
        break;
    case PHOTOMETRIC_PALETTE:
        return samplesPerPixel_ == 1 && (lowBits || bits_ == 8) ? readPalette()
                                                                : unsupported("调色板格式");
    default:
        return unsupported("颜色方式 " + std::to_string(photometric_));
    }
    if (colours == 0 || samplesPerPixel_ < colours) {
        return unsupported("每样本 " + std::to_string(bits_) + " 位、每像素 " +
                           std::to_string(samplesPerPixel_) + " 个样本的格式");
    }
    const bool alpha = samplesPerPixel_ > colours && extras > 0 && extraTypes != nullptr &&
                       extraTypes[0] != EXTRASAMPLE_UNSPECIFIED;
    layout_ = SampleRow{nullptr,
                        colours,
                        alpha,
                        samplesPerPixel_,
                        bits_,
                        false,
                        alpha && extraTypes[0] == EXTRASAMPLE_ASSOCALPHA,
                        photometric_ == PHOTOMETRIC_MINISWHITE};
    return Status::ok();
}

Status TiffDecoder::readPalette() {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif_, TIFFTAG_COLORMAP, &r, &g, &b)) {
        return unsupported("调色板（缺少 ColorMap）");
    }
    const size_t entries = size_t{1} << bits_;
    palette_.resize(entries * 3);
    for (size_t i = 0; i < entries; ++i) {
        palette_[i * 3] = reduce16(b[i]);
        palette_[i * 3 + 1] = reduce16(g[i]);
        palette_[i * 3 + 2] = reduce16(r[i]);
    }
    return Status::ok();
}

void TiffDecoder::convert(const uint8_t* samples, uint8_t* bgr) const {
    if (photometric_ == PHOTOMETRIC_PALETTE) {
        indicesToBgr(samples, bits_, info_.width, palette_.data(),
                     static_cast<int>(palette_.size() / 3), bgr);
        return;
    }
    SampleRow row = layout_;
    row.data = samples;
    samplesToBgr(row, info_.width, bgr);
}

Status TiffDecoder::decodeStrips(DecodedRows& out) {
    const uint64_t lineBytes = TIFFScanlineSize64(tif_);
    if (lineBytes == 0) {
        return unsupported("行长度");
    }
    if (lineBytes > kMaxBandBytes) {
        return tooLarge(lineBytes);
    }
    std::vector<uint8_t> samples(static_cast<size_t>(lineBytes));
    std::vector<uint8_t> bgr(static_cast<size_t>(info_.width) * 3);
    for (int32_t y = 0; y < info_.height; ++y) {
        if (TIFFReadScanline(tif_, samples.data(), static_cast<uint32_t>(y), 0) < 0) {
            return failure();
        }
        convert(samples.data(), bgr.data());
        if (Status s = out.row(y, bgr.data()); !s) {
            return s;
        }
    }
    return Status::ok();
}

Status TiffDecoder::decodeTiles(DecodedRows& out) {
    uint32_t tileW = 0, tileH = 0;
    TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &tileW);
    TIFFGetField(tif_, TIFFTAG_TILELENGTH, &tileH);
    const uint64_t lineBytes = TIFFScanlineSize64(tif_);
    const uint64_t tileRowBytes = TIFFTileRowSize64(tif_);
    const uint64_t tileBytes = TIFFTileSize64(tif_);
    if (tileW == 0 || tileH == 0 || tileRowBytes == 0 || lineBytes == 0) {
        return unsupported("图块大小");
    }
    if (lineBytes > kMaxBandBytes / tileH || tileBytes > kMaxBandBytes) {
        return tooLarge(
            std::max(lineBytes > UINT64_MAX / tileH ? UINT64_MAX : lineBytes * tileH, tileBytes));
    }
    const auto w = static_cast<uint32_t>(info_.width), h = static_cast<uint32_t>(info_.height);
    std::vector<uint8_t> band(lineBytes * std::min(tileH, h));
    std::vector<uint8_t> tile(tileBytes);
    std::vector<uint8_t> bgr(static_cast<size_t>(info_.width) * 3);
    const uint64_t bitsPerPixel = uint64_t{bits_} * samplesPerPixel_;
    for (uint32_t top = 0; top < h; top += tileH) {
        const uint32_t rows = std::min(tileH, h - top);
        std::fill(band.begin(), band.end(), 0);
        for (uint32_t left = 0; left < w; left += tileW) {
            if (TIFFReadTile(tif_, tile.data(), left, top, 0, 0) < 0) {
                return failure();
            }
            // Tiles of samples below a byte may start inside a byte: the
            // library accepts any tile width, not only multiples of 16.
            const uint64_t bits = std::min(tileW, w - left) * bitsPerPixel;
            for (uint32_t r = 0; r < rows; ++r) {
                orBits(&tile[r * tileRowBytes], bits, &band[r * lineBytes], left * bitsPerPixel);
            }
        }
        for (uint32_t r = 0; r < rows; ++r) {
            convert(&band[r * lineBytes], bgr.data());
            if (Status s = out.row(static_cast<int32_t>(top + r), bgr.data()); !s) {
                return s;
            }
        }
    }
    return Status::ok();
}

Status TiffDecoder::decode(DecodedRows& out) {
    return TIFFIsTiled(tif_) ? decodeTiles(out) : decodeStrips(out);
}

} // namespace

DecoderResult openTiff(const std::filesystem::path& file, const PosixFile& picture) {
    auto decoder = std::make_unique<TiffDecoder>(file);
    if (Status s = decoder->open(picture); !s) {
        return s;
    }
    return std::unique_ptr<PictureDecoder>(std::move(decoder));
}

} // namespace tovrel
