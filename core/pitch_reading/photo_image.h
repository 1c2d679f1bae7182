#pragma once
// A photograph as grey levels (0 to 255, floating point), upright: the
// picture's orientation tag applied. What the pitch reading looks at.

#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tovrel {

struct GreyImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<float> pixels; // row by row, top row first

    GreyImage() = default;
    GreyImage(int32_t w, int32_t h)
        : width(w), height(h), pixels(std::size_t(w) * std::size_t(h)) {}

    float& at(int32_t x, int32_t y) {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    float at(int32_t x, int32_t y) const {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    // Bilinear between pixel centres (pixel i's centre at i + 0.5); edge
    // pixels repeat beyond the border.
    double sample(double x, double y) const;
};

// Decodes any picture the intake takes. Refuses pictures over 100 megapixels.
Result<GreyImage> readPhoto(const std::filesystem::path& file);

} // namespace tovrel
