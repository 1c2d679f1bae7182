#include "intake/exif_fields.h"

#include "intake/format_decoders.h"

namespace tovrel {

namespace {

class TiffBytes {
  public:
    TiffBytes(const uint8_t* data, std::size_t size, bool little)
        : data_(data), size_(size), little_(little) {}
    bool has(uint64_t at, uint64_t n) const { return at <= size_ && n <= size_ - at; }
    uint32_t u16(uint64_t at) const {
        const uint8_t* p = data_ + at;
        return little_ ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
    }
    uint32_t u32(uint64_t at) const {
        return little_ ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    }

  private:
    const uint8_t* data_;
    std::size_t size_;
    bool little_;
};

constexpr uint32_t kShort = 3;
constexpr uint32_t kRational = 5;

} // namespace

ExifFields readExifFields(const uint8_t* data, std::size_t size) {
    ExifFields out;
    if (size < 8 || !(data[0] == data[1] && (data[0] == 'I' || data[0] == 'M'))) {
        return out;
    }
    const TiffBytes t(data, size, data[0] == 'I');
    const uint32_t ifd = t.u32(4);
    if (!t.has(ifd, 2)) {
        return out;
    }
    const uint32_t entries = t.u16(ifd);
    double xres = 0;
    int unit = 2; // inches unless the file says otherwise
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t e = ifd + 2 + uint64_t{i} * 12;
        if (!t.has(e, 12)) {
            break;
        }
        const uint32_t tag = t.u16(e), type = t.u16(e + 2);
        if (tag == 0x0112 && type == kShort) {
            const uint32_t v = t.u16(e + 8);
            out.orientation = v >= 1 && v <= 8 ? static_cast<int>(v) : 1;
        } else if (tag == 0x0128 && type == kShort) {
            unit = static_cast<int>(t.u16(e + 8));
        } else if (tag == 0x011A && type == kRational) {
            const uint32_t at = t.u32(e + 8);
            if (t.has(at, 8) && t.u32(at + 4) != 0) {
                xres = static_cast<double>(t.u32(at)) / t.u32(at + 4);
            }
        }
    }
    out.resolution = pixelsPerMetre(xres, unit);
    return out;
}

} // namespace tovrel
