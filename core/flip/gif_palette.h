#pragma once
// A frame of more than 256 colours reduced to 256 of its own: a median cut
// that always splits the box whose colours are farthest from their mean, so
// colours that cover much of the frame (a plain sky, a yellow sign) keep a
// palette entry of their own, and error diffusion only where a pixel has no
// entry close to it (smooth gradients), so plain areas stay plain.

#include "flip/line_table.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tovrel {

struct PaletteColour {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const PaletteColour&) const = default;
};

struct ReducedFrame {
    std::vector<PaletteColour> palette; // at most 256 entries
    std::vector<uint8_t> indices;       // one per pixel, rows top first
};

ReducedFrame reduceColours(const ViewImage& image);

} // namespace tovrel
