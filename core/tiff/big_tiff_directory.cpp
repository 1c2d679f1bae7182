#include "tiff/big_tiff_directory.h"

#include <algorithm>

namespace tovrel {

namespace {

enum Type : uint16_t {
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
    kUndefined = 7,
    kLong8 = 16
};

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

Field shorts(uint16_t tag, const std::vector<uint16_t>& values) {
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

// StripOffsets (offsets) or StripByteCounts: one LONG8 (LONG in a classic
// file) per strip.
Field strips(uint16_t tag, const BigTiffImage& image, uint64_t pixelOffset, bool offsets) {
    const uint64_t rowBytes = uint64_t{image.samples} * image.width;
    const uint64_t count = (uint64_t{image.height} + image.rowsPerStrip - 1) / image.rowsPerStrip;
    const int size = image.big ? 8 : 4;
    Field f{tag, image.big ? kLong8 : kLong, count, {}};
    f.values.reserve(std::size_t(count) * std::size_t(size));
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t first = i * image.rowsPerStrip;
        const uint64_t rows = std::min<uint64_t>(image.rowsPerStrip, image.height - first);
        putLE(f.values, offsets ? pixelOffset + first * rowBytes : rows * rowBytes, size);
    }
    return f;
}

} // namespace

std::vector<uint8_t> bigTiffHeader(uint64_t ifdAt, bool big) {
    std::vector<uint8_t> b = {'I', 'I'};
    if (big) {
        putLE(b, 43, 2); // BigTIFF
        putLE(b, 8, 2);  // bytes per offset
        putLE(b, 0, 2);
        putLE(b, ifdAt, 8);
    } else {
        putLE(b, 42, 2);
        putLE(b, ifdAt, 4);
        putLE(b, 0, 8); // the pixel area starts at 16 in either form
    }
    return b;
}

std::vector<uint8_t> bigTiffDirectory(const BigTiffImage& image, uint64_t pixelOffset,
                                      uint64_t ifdAt) {
    const bool cmyk = image.samples == 4;
    // In ascending tag order, as readers require.
    std::vector<Field> fields = {
        longOne(254, 0),                                      // NewSubfileType: full image
        longOne(256, image.width),                            // ImageWidth
        longOne(257, image.height),                           // ImageLength
        shorts(258, std::vector<uint16_t>(image.samples, 8)), // BitsPerSample
        shorts(259, {1}),                                     // Compression: none
        shorts(262, {uint16_t(cmyk ? 5 : 2)}),                // Photometric: separated or RGB
        strips(273, image, pixelOffset, true),                // StripOffsets
        shorts(277, {image.samples}),                         // SamplesPerPixel
        longOne(278, image.rowsPerStrip),                     // RowsPerStrip
        strips(279, image, pixelOffset, false),               // StripByteCounts
        rational(282, image.resolution),                      // XResolution
        rational(283, image.resolution),                      // YResolution
        shorts(284, {1}),                                     // PlanarConfiguration: chunky
        shorts(296, {2}),                                     // ResolutionUnit: inch
    };
    if (!image.software.empty()) {
        fields.push_back({305, kAscii, image.software.size(), image.software}); // Software
    }
    if (cmyk) {
        fields.push_back(shorts(332, {1})); // InkSet: CMYK
    }
    fields.push_back({34377, image.resourceType, image.resources.size(), image.resources});
    if (!image.profile.empty()) {
        fields.push_back({34675, kUndefined, image.profile.size(), image.profile}); // ICC
    }
    // BigTIFF: 8-byte counts and offsets, 20-byte entries; classic: 2-byte
    // entry count, 4-byte counts and offsets, 12-byte entries.
    const int word = image.big ? 8 : 4;
    const std::size_t countBytes = image.big ? 8 : 2;
    const std::size_t entrySize = image.big ? 20 : 12;
    const std::size_t count = fields.size();
    std::vector<uint8_t> out;
    putLE(out, count, int(countBytes));
    out.resize(countBytes + entrySize * count + std::size_t(word), 0); // no next directory
    for (std::size_t i = 0; i < count; ++i) {
        const Field& f = fields[i];
        const std::size_t entry = countBytes + entrySize * i;
        const std::size_t valueAt = entry + 4 + std::size_t(word);
        setLE(out, entry, f.tag, 2);
        setLE(out, entry + 2, f.type, 2);
        setLE(out, entry + 4, f.count, word);
        if (f.values.size() <= std::size_t(word)) {
            std::copy(f.values.begin(), f.values.end(), out.begin() + std::ptrdiff_t(valueAt));
            continue;
        }
        // Values that do not fit the entry go behind the directory, 8-aligned.
        out.resize((out.size() + 7) / 8 * 8, 0);
        setLE(out, valueAt, ifdAt + out.size(), word);
        out.insert(out.end(), f.values.begin(), f.values.end());
    }
    return out;
}

} // namespace tovrel
