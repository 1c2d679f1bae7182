#pragma once
// Reading the header of a source picture: an uncompressed 24-bit BMP file with
// its rows stored bottom-up. Files outside that format are refused with a
// message for the user, so a picture that was accepted obeys the row layout of
// bmp_layout.h.

#include "common/status.h"
#include "intake/bmp_layout.h"

#include <cstdint>
#include <filesystem>

namespace tovrel {

struct BmpHeader {
    int32_t DataOff; // 0-based offset of the first pixel byte
    int32_t ImgW;    // width in pixels
    int32_t ImgH;    // height in pixels, rows bottom-up
    int32_t ImgRes;  // horizontal resolution, pixels per metre
};

// Reads the four fields at offsets 10, 18, 22 and 38. Refuses, with a message
// naming the file: a file that cannot be opened or read, a signature other
// than "BM", an information header shorter than 40 bytes, bits per pixel
// other than 24, any compression, a width or height of 0 or below, a row or
// pixel area whose size does not fit 32 bits, a data offset inside the
// headers, and a file too short for its pixel rows (the last row may lack its
// pad bytes). Longer information headers (108 or 124 bytes) are fine: the
// pixels are found through the data offset alone. A row store made for CMYK
// output is read with pixelBytes 4: 32 bits per pixel, rows of 4 bytes a pixel.
Result<BmpHeader> readBmpHeader(const std::filesystem::path& file, int32_t pixelBytes = 3);

} // namespace tovrel
