#include "render/column_map.h"

#include "render/run_geometry.h"

namespace tovrel {

PixelPool::PixelPool(int32_t views, int32_t usedColumns)
    : usedBytes_(3 * std::size_t(usedColumns)), bytes_(6 + usedBytes_ * std::size_t(views)) {
    for (std::size_t i = kWhitePixel; i < kWhitePixel + 3; ++i) {
        bytes_[i] = 255;
    }
}

std::vector<int32_t> sourceColumns(int32_t tifW, float scale, int32_t baseW) {
    std::vector<int32_t> columns(static_cast<std::size_t>(tifW));
    for (int32_t j = 1; j <= tifW; ++j) {
        const double x = sourceIndex(j, scale);
        columns[std::size_t(j - 1)] = x >= 1 && x < baseW ? static_cast<int32_t>(x) : 0;
    }
    return columns;
}

namespace {
std::size_t pixelOf(std::span<const int32_t> columns, const PixelPool& pool, int32_t n,
                    int64_t column) {
    const int32_t x = columns[std::size_t(column - 1)];
    return x == 0 ? kBlackPixel : pool.offset(n, x);
}
} // namespace

std::vector<std::size_t> stripColumnMap(std::span<const int32_t> columns, const StripLayout& layout,
                                        const PixelPool& pool) {
    const int64_t width = static_cast<int64_t>(columns.size());
    const int64_t s = layout.strip;
    const int64_t white = layout.whiteGaps ? layout.whiteWidth : 0;
    // Pixels 1..filled of a strip repeat its pixel 0.
    const int64_t filled = s - white - 1;
    std::vector<std::size_t> map(columns.size());
    for (int64_t p = 0; p < width; ++p) {
        const int64_t strip = p / s;
        const int64_t k = p % s;
        const auto n = static_cast<int32_t>(strip % layout.views + 1);
        const bool whole = (strip + 1) * s <= width;
        std::size_t& pixel = map[std::size_t(p)];
        if (whole && k >= s - white) {
            pixel = kWhitePixel;
        } else if (k == 0 || k <= filled) {
            pixel = pixelOf(columns, pool, n, strip * s + 1);
        } else {
            pixel = pixelOf(columns, pool, 1, p + 1);
        }
    }
    return map;
}

std::vector<std::size_t> pictureColumnMap(std::span<const int32_t> columns, int32_t n,
                                          const PixelPool& pool) {
    std::vector<std::size_t> map(columns.size());
    for (std::size_t j = 0; j < columns.size(); ++j) {
        map[j] = pixelOf(columns, pool, n, static_cast<int64_t>(j) + 1);
    }
    return map;
}

void renderRow(const unsigned char* pool, std::span<const std::size_t> map, unsigned char* out) {
    for (const std::size_t from : map) {
        out[0] = pool[from + 2];
        out[1] = pool[from + 1];
        out[2] = pool[from];
        out += 3;
    }
}

} // namespace tovrel
