#include "render/column_map.h"

#include <algorithm>
#include <cstring>

namespace tovrel {

PixelPool::PixelPool(int32_t views, int32_t usedColumns, const OutputColour& colour)
    : px_(std::size_t(colour.bytes())), usedBytes_(px_ * std::size_t(usedColumns)),
      bytes_(px_ + usedBytes_ * std::size_t(views)) {
    std::copy_n(colour.white.begin(), px_, bytes_.begin() + kWhitePixel);
}

std::vector<int32_t> sourceColumns(int32_t tifW, float scale, int32_t baseW) {
    std::vector<int32_t> columns(static_cast<std::size_t>(tifW));
    for (int32_t j = 1; j <= tifW; ++j) {
        columns[std::size_t(j - 1)] = frameColumnOf(j, scale, baseW);
    }
    return columns;
}

std::vector<int32_t> sourceRows(int32_t tifH, float scale, int32_t baseH) {
    std::vector<int32_t> rows(static_cast<std::size_t>(tifH));
    for (int32_t r = 1; r <= tifH; ++r) {
        rows[std::size_t(r - 1)] = frameRowOf(r, scale, baseH);
    }
    return rows;
}

namespace {
std::size_t pixelOf(std::span<const int32_t> columns, const PixelPool& pool, int32_t n,
                    int64_t column) {
    return pool.offset(n, columns[std::size_t(column - 1)]);
}
} // namespace

std::vector<std::size_t> stripColumnMap(std::span<const int32_t> columns, const StripLayout& layout,
                                        const PixelPool& pool) {
    const auto width = static_cast<int64_t>(columns.size());
    std::vector<std::size_t> map(columns.size());
    for (int64_t p = 0; p < width; ++p) {
        const StripSource source = stripSource(p, width, layout);
        map[std::size_t(p)] = source.picture == 0
                                  ? kWhitePixel
                                  : pixelOf(columns, pool, source.picture, source.column);
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

void renderRow(const unsigned char* pool, std::span<const std::size_t> map, unsigned char* out,
               std::size_t pixelBytes) {
    if (pixelBytes == 4) {
        for (const std::size_t from : map) {
            std::memcpy(out, pool + from, 4);
            out += 4;
        }
        return;
    }
    for (const std::size_t from : map) {
        out[0] = pool[from + 2];
        out[1] = pool[from + 1];
        out[2] = pool[from];
        out += 3;
    }
}

} // namespace tovrel
