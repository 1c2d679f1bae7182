#pragma once
// The pixels of a run: 3 bytes (blue, green, red in the stores, red, green,
// blue in the output) or 4 bytes (cyan, magenta, yellow, black in both).
// Stores, engine, printer-resolution rendering, pitch chart and container
// all take their pixel size from here, so a run only ever copies pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovrel {

enum class PixelFormat : uint8_t { Rgb, Cmyk };

constexpr int32_t bytesPerPixel(PixelFormat format) {
    return format == PixelFormat::Cmyk ? 4 : 3;
}

// What the output carries besides its size: the pixel format, the ICC
// profile embedded in the file (none: today's untagged sRGB file), and paper
// white as a store pixel, blue, green, red or C, M, Y, K (what white gaps
// are filled with).
struct OutputColour {
    PixelFormat format = PixelFormat::Rgb;
    std::vector<uint8_t> profile;
    std::array<uint8_t, 4> white{255, 255, 255, 255};

    int32_t bytes() const { return bytesPerPixel(format); }
    // Untagged RGB: the container is the data file's template, as it always was.
    bool plain() const { return format == PixelFormat::Rgb && profile.empty(); }
};

// A row of `pixels` output pixels of paper white.
std::vector<uint8_t> paperWhiteRow(const OutputColour& colour, int64_t pixels);

} // namespace tovrel
