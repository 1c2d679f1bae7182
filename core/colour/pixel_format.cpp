#include "colour/pixel_format.h"

#include <utility>

namespace tovrel {

std::vector<uint8_t> paperWhiteRow(const OutputColour& colour, int64_t pixels) {
    const auto px = std::size_t(colour.bytes());
    std::array<uint8_t, 4> pixel = colour.white;
    if (px == 3) {
        std::swap(pixel[0], pixel[2]); // stores hold blue first, the output red
    }
    std::vector<uint8_t> row(std::size_t(pixels) * px);
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = pixel[i % px];
    }
    return row;
}

} // namespace tovrel
