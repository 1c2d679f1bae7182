#pragma once
// The few EXIF fields a photo needs here: orientation and horizontal
// resolution, read from the TIFF structure of a JPEG's APP1 "Exif" segment.

#include <cstddef>
#include <cstdint>

namespace tovrel {

struct ExifFields {
    int orientation = 1;
    int32_t resolution = 0; // pixels per metre; 0 when absent
};

// Reads the first image directory of `data` (the segment after "Exif\0\0").
// Anything malformed or out of bounds is ignored.
ExifFields readExifFields(const uint8_t* data, std::size_t size);

} // namespace tovrel
