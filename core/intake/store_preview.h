#pragma once
// A small picture of a decoded row store for the preview, made by averaging
// the pixels that fall on each preview pixel, one stored row at a time: the
// toolkit's readers would hold the whole picture in memory first.

#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tovrel {

struct RowLayout {
    int32_t width, height, dataOff, stride; // as a 24-bit bottom-up BMP
    int32_t pixelBytes = 3;                 // 4 in a store made for CMYK output
};

// `toW` x `toH` pixels of blue, green, red bytes (or C, M, Y, K), rows from the top.
Result<std::vector<uint8_t>> shrinkRows(const std::filesystem::path& file, const RowLayout& rows,
                                        int32_t toW, int32_t toH);

} // namespace tovrel
