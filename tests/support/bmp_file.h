#pragma once
// Hand-built BMP files for tests: valid 24-bit files with a known pixel
// pattern, and helpers to damage their headers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovrel::test {

struct BmpFields {
    int32_t width = 4;
    int32_t height = 3;
    int32_t xPerMetre = 2835;
    int32_t yPerMetre = 2835;
    uint32_t infoBytes = 40; // 40, 108 or 124
};

// Blue, green, red of the pattern pixel in column col of stored row row (both
// 1-based, rows from the bottom).
std::array<uint8_t, 3> patternPixel(int32_t col, int32_t row);

// A complete 24-bit bottom-up file: file header, information header (the
// fields beyond the first 40 bytes filled with non-zero junk), pixel rows of
// the pattern, pad bytes 0xAA.
std::vector<unsigned char> bmpFile(const BmpFields& fields);

void putLE16(std::vector<unsigned char>& bytes, std::size_t at, uint16_t value);
void putLE32(std::vector<unsigned char>& bytes, std::size_t at, uint32_t value);

} // namespace tovrel::test
