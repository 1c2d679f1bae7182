// BMP files beyond the plain 24-bit bottom-up kind: 1-, 4- and 8-bit
// palettes, RLE8 and RLE4, 16- and 32-bit pixels with or without bit fields,
// 24-bit rows stored top-down.

#include "intake/format_decoders.h"
#include "intake/picture_message.h"
#include "intake/pixel_rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <span>
#include <vector>

namespace tovrel {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// One channel of a bit-field pixel: its mask and how to bring it to 8 bits.
struct Field {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Field(uint32_t m = 0) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    // round(v * 255 / max), halves up.
    uint32_t value(uint32_t pixel) const {
        if (max == 0) {
            return 0;
        }
        const uint64_t v = (pixel & mask) >> shift;
        return static_cast<uint32_t>((2 * v * 255 + max) / (2 * uint64_t{max}));
    }
};

class BmpDecoder final : public PictureDecoder {
  public:
    BmpDecoder(std::filesystem::path file, std::FILE* f) : file_(std::move(file)), f_(f) {}
    ~BmpDecoder() override { std::fclose(f_); }
    BmpDecoder(const BmpDecoder&) = delete;
    BmpDecoder& operator=(const BmpDecoder&) = delete;

    Status open();
    Status decode(DecodedRows& out) override;

  private:
    Status readPalette(uint32_t infoBytes, uint32_t used);
    Status decodeRows(DecodedRows& out);
    Status decodeRle(DecodedRows& out);
    void fieldsToBgr(const uint8_t* row, uint8_t* bgr) const;
    // Row y of the picture (0 on top) for the n-th row stored in the file.
    int32_t pictureRow(int32_t n) const { return topDown_ ? n : info_.height - 1 - n; }
    Status cut() const { return refusePicture(file_, "BMP 文件不完整，像素数据不全"); }
    Status bad(const std::string& what) const { return refusePicture(file_, what); }

    std::filesystem::path file_;
    std::FILE* f_;
    uint32_t dataOff_ = 0, compression_ = 0;
    int bits_ = 0;
    bool topDown_ = false;
    std::vector<uint8_t> palette_; // blue, green, red per entry
    std::array<Field, 4> fields_;  // red, green, blue, alpha
    int64_t fileBytes_ = 0;
};

Status BmpDecoder::open() {
    std::array<uint8_t, 14 + 124> h{};
    const size_t got = std::fread(h.data(), 1, h.size(), f_);
    if (std::fseek(f_, 0, SEEK_END) != 0 || (fileBytes_ = std::ftell(f_)) < 0) {
        return bad("无法读取文件");
    }
    const uint32_t infoBytes = got >= 18 ? le32(&h[14]) : 0;
    if (got < 54 || infoBytes < 40 || got < 14 + std::min<uint32_t>(infoBytes, 124)) {
        return bad("BMP 文件头不完整，或信息头格式不受支持");
    }
    dataOff_ = le32(&h[10]);
    const auto width = static_cast<int32_t>(le32(&h[18]));
    const auto height = static_cast<int32_t>(le32(&h[22]));
    bits_ = h[28] | h[29] << 8;
    compression_ = le32(&h[30]);
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        return bad("BMP 文件的宽度或高度无效（" + std::to_string(width) + " x " +
                   std::to_string(height) + "）");
    }
    topDown_ = height < 0;
    info_.width = width;
    info_.height = topDown_ ? -height : height;
    const auto res = static_cast<int32_t>(le32(&h[38]));
    info_.resolution = res > 0 ? res : 0;
    info_.profile = bmpProfile(
        std::span(h).subspan(14, got - 14), [this](uint64_t at, std::vector<uint8_t>& out) {
            return at <= uint64_t(fileBytes_) && std::fseek(f_, long(at), SEEK_SET) == 0 &&
                   std::fread(out.data(), 1, out.size(), f_) == out.size();
        });
    const bool rle = (compression_ == kRle8 && bits_ == 8) || (compression_ == kRle4 && bits_ == 4);
    const bool fields = (compression_ == kBitFields || compression_ == kAlphaBitFields) &&
                        (bits_ == 16 || bits_ == 32);
    const bool plain = compression_ == kRgb && (bits_ == 1 || bits_ == 4 || bits_ == 8 ||
                                                bits_ == 16 || bits_ == 24 || bits_ == 32);
    if (!rle && !fields && !plain) {
        return bad("每像素 " + std::to_string(bits_) + " 位、压缩方式 " +
                   std::to_string(compression_) + " 的 BMP 格式不受支持");
    }
    if (rle && topDown_) {
        return bad("压缩的 BMP 文件不能自上而下存储");
    }
    if (fields) {
        // The masks follow a 40-byte header, or lie inside a longer one.
        const size_t count = compression_ == kAlphaBitFields ? 4 : 3;
        if (infoBytes == 40 && got < 54 + count * 4) {
            return bad("BMP 文件头不完整，缺少颜色掩码");
        }
        for (size_t k = 0; k < count; ++k) {
            fields_[k] = Field(le32(&h[54 + 4 * k]));
        }
        if (infoBytes >= 56 && count == 3) {
            fields_[3] = Field(le32(&h[54 + 12]));
        }
    } else if (bits_ == 16) {
        fields_ = {Field(0x7C00), Field(0x03E0), Field(0x001F), Field()};
    } else if (bits_ == 32) {
        fields_ = {Field(0xFF0000), Field(0xFF00), Field(0xFF), Field()};
    }
    if (bits_ <= 8) {
        return readPalette(infoBytes, le32(&h[46]));
    }
    return Status::ok();
}

Status BmpDecoder::readPalette(uint32_t infoBytes, uint32_t used) {
    const uint32_t most = 1u << bits_;
    const uint32_t entries = used == 0 || used > most ? most : used;
    const int64_t at = 14 + int64_t{infoBytes};
    if (at + int64_t{entries} * 4 > int64_t{dataOff_} || std::fseek(f_, at, SEEK_SET) != 0) {
        return bad("BMP 文件的调色板不完整");
    }
    std::vector<uint8_t> raw(entries * 4);
    if (std::fread(raw.data(), 1, raw.size(), f_) != raw.size()) {
        return bad("BMP 文件的调色板不完整");
    }
    palette_.resize(entries * 3);
    for (uint32_t i = 0; i < entries; ++i) {
        std::copy_n(&raw[i * 4], 3, &palette_[i * 3]);
    }
    return Status::ok();
}

void BmpDecoder::fieldsToBgr(const uint8_t* row, uint8_t* bgr) const {
    const bool alpha = fields_[3].mask != 0;
    for (int32_t x = 0; x < info_.width; ++x) {
        const uint8_t* p = row + int64_t{x} * (bits_ / 8);
        const uint32_t pixel = bits_ == 16 ? uint32_t(p[0] | p[1] << 8) : le32(p);
        const uint32_t a = alpha ? fields_[3].value(pixel) : 255;
        for (int k = 0; k < 3; ++k) {
            const uint32_t c = fields_[static_cast<size_t>(k)].value(pixel);
            bgr[int64_t{x} * 3 + 2 - k] = static_cast<uint8_t>(overWhite(c, a, 255));
        }
    }
}

Status BmpDecoder::decodeRows(DecodedRows& out) {
    const int64_t rowBytes = (int64_t{info_.width} * bits_ + 31) / 32 * 4;
    const int64_t usedBytes = (int64_t{info_.width} * bits_ + 7) / 8;
    if (int64_t{dataOff_} + rowBytes * (info_.height - 1) + usedBytes > fileBytes_) {
        return cut();
    }
    if (std::fseek(f_, dataOff_, SEEK_SET) != 0) {
        return cut();
    }
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    std::vector<uint8_t> bgr(static_cast<size_t>(info_.width) * 3);
    for (int32_t n = 0; n < info_.height; ++n) {
        const size_t got = std::fread(row.data(), 1, row.size(), f_);
        if (got < static_cast<size_t>(usedBytes)) {
            return cut();
        }
        if (bits_ <= 8) {
            indicesToBgr(row.data(), bits_, info_.width, palette_.data(),
                         static_cast<int>(palette_.size() / 3), bgr.data());
        } else if (bits_ == 24) {
            std::copy_n(row.data(), bgr.size(), bgr.data());
        } else {
            fieldsToBgr(row.data(), bgr.data());
        }
        if (Status s = out.row(pictureRow(n), bgr.data()); !s) {
            return s;
        }
    }
    return Status::ok();
}

// Run-length coded rows, bottom-up. Pixels the code skips (line ends and
// jumps) take the first palette colour.
Status BmpDecoder::decodeRle(DecodedRows& out) {
    if (std::fseek(f_, dataOff_, SEEK_SET) != 0) {
        return cut();
    }
    const int32_t w = info_.width;
    std::vector<uint8_t> indices(static_cast<size_t>(w));
    std::vector<uint8_t> bgr(static_cast<size_t>(w) * 3);
    int32_t n = 0, x = 0;
    auto emit = [&]() -> Status {
        for (int32_t i = 0; i < w; ++i) {
            const uint8_t index = indices[static_cast<size_t>(i)];
            const bool known = index * 3u + 3 <= palette_.size();
            for (int k = 0; k < 3; ++k) {
                bgr[size_t(i) * 3 + size_t(k)] = known ? palette_[index * 3u + unsigned(k)] : 0;
            }
        }
        std::fill(indices.begin(), indices.end(), 0);
        x = 0;
        return out.row(pictureRow(n++), bgr.data());
    };
    auto put = [&](uint8_t index) {
        if (x < w) {
            indices[static_cast<size_t>(x++)] = index;
        }
    };
    auto next = [&](int& byte) { return (byte = std::fgetc(f_)) != EOF; };
    int a = 0, b = 0;
    while (n < info_.height) {
        if (!next(a) || !next(b)) {
            return cut();
        }
        if (a > 0) {
            for (int i = 0; i < a; ++i) {
                put(bits_ == 8 ? uint8_t(b) : uint8_t(i % 2 == 0 ? b >> 4 : b & 15));
            }
        } else if (b == 0 || b == 1) {
            if (Status s = emit(); !s) {
                return s;
            }
            if (b == 1) {
                break;
            }
        } else if (b == 2) {
            int dx = 0, dy = 0;
            if (!next(dx) || !next(dy)) {
                return cut();
            }
            for (int i = 0; i < dy && n < info_.height; ++i) {
                const int32_t keep = x;
                if (Status s = emit(); !s) {
                    return s;
                }
                x = keep;
            }
            x = std::min(w, x + dx);
        } else {
            const int bytes = bits_ == 8 ? b : (b + 1) / 2;
            int v = 0;
            for (int i = 0; i < bytes; ++i) {
                if (!next(v)) {
                    return cut();
                }
                if (bits_ == 8) {
                    put(uint8_t(v));
                } else {
                    put(uint8_t(v >> 4));
                    if (2 * i + 1 < b) {
                        put(uint8_t(v & 15));
                    }
                }
            }
            if (bytes % 2 == 1 && !next(v)) {
                return cut();
            }
        }
    }
    while (n < info_.height) {
        if (Status s = emit(); !s) {
            return s;
        }
    }
    return Status::ok();
}

Status BmpDecoder::decode(DecodedRows& out) {
    return compression_ == kRle8 || compression_ == kRle4 ? decodeRle(out) : decodeRows(out);
}

} // namespace

DecoderResult openBmp(const std::filesystem::path& file, std::FILE* f) {
    auto decoder = std::make_unique<BmpDecoder>(file, f);
    if (Status s = decoder->open(); !s) {
        return s;
    }
    return std::unique_ptr<PictureDecoder>(std::move(decoder));
}

} // namespace tovrel
