#pragma once
// An output file composed field by field: a 16-byte header (little-endian;
// BigTIFF, version 43 with 8-byte offsets, or classic, version 42 with 4-byte
// offsets and 8 zero bytes), the pixel area, and behind it the one image
// directory with the values it points to. The image is uncompressed, chunky,
// 8-bit RGB or CMYK (separated, InkSet 1), rows top to bottom, in strips of
// whole rows, with an ICC profile when one is given.

#include "tiff/tiff_resolution.h"

#include <cstdint>
#include <vector>

namespace tovrel {

struct BigTiffImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t rowsPerStrip = 0;      // every strip but the last holds this many rows
    Rational resolution{};          // pixels per inch
    uint16_t resourceType = 0;      // the type the template gives tag 34377 (BYTE or UNDEFINED)
    std::vector<uint8_t> resources; // the image-resource block of tag 34377
    std::vector<uint8_t> software;  // tag 305 (ASCII, its NUL included) as the template gives it;
                                    // none when empty
    uint16_t samples = 3;           // 3: RGB; 4: CMYK
    std::vector<uint8_t> profile;   // tag 34675, the ICC profile; none when empty
    bool big = true;                // BigTIFF; else a classic file (below 4 GB)
};

inline constexpr uint64_t kBigTiffHeaderSize = 16;

// The first 16 bytes of the file, pointing at the directory at ifdAt.
std::vector<uint8_t> bigTiffHeader(uint64_t ifdAt, bool big = true);

// The directory with its values, for ifdAt (a multiple of 8, behind the
// pixel area) and pixel rows from pixelOffset on.
std::vector<uint8_t> bigTiffDirectory(const BigTiffImage& image, uint64_t pixelOffset,
                                      uint64_t ifdAt);

} // namespace tovrel
