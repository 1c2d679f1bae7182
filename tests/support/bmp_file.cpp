#include "tests/support/bmp_file.h"

namespace tovrel::test {

std::array<uint8_t, 3> patternPixel(int32_t col, int32_t row) {
    return {static_cast<uint8_t>(col * 7 + row * 3), static_cast<uint8_t>(col * 13 + row * 5 + 1),
            static_cast<uint8_t>(col + row * 11 + 2)};
}

void putLE16(std::vector<unsigned char>& bytes, std::size_t at, uint16_t value) {
    bytes.at(at) = static_cast<unsigned char>(value);
    bytes.at(at + 1) = static_cast<unsigned char>(value >> 8);
}

void putLE32(std::vector<unsigned char>& bytes, std::size_t at, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::vector<unsigned char> bmpFile(const BmpFields& f) {
    const std::size_t rowBytes = static_cast<std::size_t>(f.width) * 3;
    const std::size_t stride = (rowBytes + 3) / 4 * 4;
    const std::size_t dataOff = 14 + f.infoBytes;
    std::vector<unsigned char> bytes(dataOff + stride * static_cast<std::size_t>(f.height), 0xAA);
    for (std::size_t i = 54; i < dataOff; ++i) {
        bytes[i] = static_cast<unsigned char>(0x40 + i % 64);
    }
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLE32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    putLE32(bytes, 6, 0);
    putLE32(bytes, 10, static_cast<uint32_t>(dataOff));
    putLE32(bytes, 14, f.infoBytes);
    putLE32(bytes, 18, static_cast<uint32_t>(f.width));
    putLE32(bytes, 22, static_cast<uint32_t>(f.height));
    putLE16(bytes, 26, 1);
    putLE16(bytes, 28, 24);
    putLE32(bytes, 30, 0);
    putLE32(bytes, 34, static_cast<uint32_t>(stride * static_cast<std::size_t>(f.height)));
    putLE32(bytes, 38, static_cast<uint32_t>(f.xPerMetre));
    putLE32(bytes, 42, static_cast<uint32_t>(f.yPerMetre));
    putLE32(bytes, 46, 0);
    putLE32(bytes, 50, 0);
    for (int32_t row = 1; row <= f.height; ++row) {
        for (int32_t col = 1; col <= f.width; ++col) {
            const auto px = patternPixel(col, row);
            const std::size_t at = dataOff + static_cast<std::size_t>(row - 1) * stride +
                                   static_cast<std::size_t>(col - 1) * 3;
            bytes[at] = px[0];
            bytes[at + 1] = px[1];
            bytes[at + 2] = px[2];
        }
    }
    return bytes;
}

} // namespace tovrel::test
