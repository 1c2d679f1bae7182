#include "tiff/big_tiff_directory.h"

#include <algorithm>

namespace tovrel {

namespace {

enum Type : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kLong8 = 16 };

constexpr std::size_t kEntrySize = 20;
constexpr std::size_t kInlineBytes = 8;

void putLE(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
    }
}

void setLE(std::vector<uint8_t>& out, std::size_t at, uint64_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        out[at + std::size_t(k)] = static_cast<uint8_t>(v >> (8 * k));
    }
}

struct Field {
    uint16_t tag;
    uint16_t type;
    uint64_t count;
    std::vector<uint8_t> values; // little-endian, as stored
};

Field shorts(uint16_t tag, std::initializer_list<uint16_t> values) {
    Field f{tag, kShort, values.size(), {}};
    for (const uint16_t v : values) {
        putLE(f.values, v, 2);
    }
    return f;
}

Field longOne(uint16_t tag, uint32_t value) {
    Field f{tag, kLong, 1, {}};
    putLE(f.values, value, 4);
    return f;
}

Field rational(uint16_t tag, Rational r) {
    Field f{tag, kRational, 1, {}};
    putLE(f.values, r.numerator, 4);
    putLE(f.values, r.denominator, 4);
    return f;
}

// StripOffsets (offsets) or StripByteCounts: one LONG8 per strip.
Field strips(uint16_t tag, const BigTiffImage& image, uint64_t pixelOffset, bool offsets) {
    const uint64_t rowBytes = 3 * uint64_t{image.width};
    const uint64_t count = (uint64_t{image.height} + image.rowsPerStrip - 1) / image.rowsPerStrip;
    Field f{tag, kLong8, count, {}};
    f.values.reserve(std::size_t(count) * 8);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t first = i * image.rowsPerStrip;
        const uint64_t rows = std::min<uint64_t>(image.rowsPerStrip, image.height - first);
        putLE(f.values, offsets ? pixelOffset + first * rowBytes : rows * rowBytes, 8);
    }
    return f;
}

} // namespace

std::vector<uint8_t> bigTiffHeader(uint64_t ifdAt) {
    std::vector<uint8_t> b = {'I', 'I'};
    putLE(b, 43, 2); // BigTIFF
    putLE(b, 8, 2);  // bytes per offset
    putLE(b, 0, 2);
    putLE(b, ifdAt, 8);
    return b;
}

std::vector<uint8_t> bigTiffDirectory(const BigTiffImage& image, uint64_t pixelOffset,
                                      uint64_t ifdAt) {
    // In ascending tag order, as readers require.
    std::vector<Field> fields = {
        longOne(254, 0),                        // NewSubfileType: full image
        longOne(256, image.width),              // ImageWidth
        longOne(257, image.height),             // ImageLength
        shorts(258, {8, 8, 8}),                 // BitsPerSample
        shorts(259, {1}),                       // Compression: none
        shorts(262, {2}),                       // PhotometricInterpretation: RGB
        strips(273, image, pixelOffset, true),  // StripOffsets
        shorts(277, {3}),                       // SamplesPerPixel
        longOne(278, image.rowsPerStrip),       // RowsPerStrip
        strips(279, image, pixelOffset, false), // StripByteCounts
        rational(282, image.resolution),        // XResolution
        rational(283, image.resolution),        // YResolution
        shorts(284, {1}),                       // PlanarConfiguration: chunky
        shorts(296, {2}),                       // ResolutionUnit: inch
    };
    if (!image.software.empty()) {
        fields.push_back({305, kAscii, image.software.size(), image.software}); // Software
    }
    fields.push_back({34377, image.resourceType, image.resources.size(), image.resources});
    const std::size_t kCount = fields.size();
    std::vector<uint8_t> out;
    putLE(out, kCount, 8);
    out.resize(8 + kEntrySize * kCount + 8, 0); // entries, then no next directory
    for (std::size_t i = 0; i < kCount; ++i) {
        const Field& f = fields[i];
        const std::size_t entry = 8 + kEntrySize * i;
        setLE(out, entry, f.tag, 2);
        setLE(out, entry + 2, f.type, 2);
        setLE(out, entry + 4, f.count, 8);
        if (f.values.size() <= kInlineBytes) {
            std::copy(f.values.begin(), f.values.end(), out.begin() + std::ptrdiff_t(entry + 12));
            continue;
        }
        // Values that do not fit the entry go behind the directory, 8-aligned.
        out.resize((out.size() + 7) / 8 * 8, 0);
        setLE(out, entry + 12, ifdAt + out.size(), 8);
        out.insert(out.end(), f.values.begin(), f.values.end());
    }
    return out;
}

} // namespace tovrel
