#pragma once
// Where a picture's pixels lie in its BMP file: rows bottom-up, each padded to
// a multiple of 4 bytes, 3 bytes a pixel (blue, green, red); a row store for
// CMYK output holds 4 (cyan, magenta, yellow, black).

#include <cstdint>

namespace tovrel {

// Bytes per stored row: imgW * pixelBytes rounded up to a multiple of 4. The
// caller makes sure imgW * pixelBytes + 3 fits 32 bits.
constexpr int32_t rowStride(int32_t imgW, int32_t pixelBytes = 3) {
    const int32_t n = imgW * pixelBytes;
    return n % 4 == 0 ? n : n - n % 4 + 4;
}

// 1-based file position of frame row `row` (1 = the frame's bottom row), given
// the 1-based position of the frame's bottom-left pixel. 64-bit, so a damaged
// job state cannot overflow it.
constexpr int64_t frameRowPosition(int32_t framePos, int32_t stride, int32_t row) {
    return static_cast<int64_t>(row - 1) * stride + framePos;
}

} // namespace tovrel
