#pragma once
// Which source pixel every output column shows. Worked out once per run, so
// a row is made by one pass of plain copies.
//
// Source pixels are addressed by their offset in a pixel pool: a white pixel,
// then the used part of each picture's current source row (blue, green, red
// per pixel, as in the file; or cyan, magenta, yellow, black for CMYK).

#include "colour/pixel_format.h"
#include "render/strip_plan.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tovrel {

inline constexpr std::size_t kWhitePixel = 0;

class PixelPool {
  public:
    // usedColumns: how many frame columns of each source row the run uses;
    // the pixels are colour's, its white the pool's white pixel.
    PixelPool(int32_t views, int32_t usedColumns, const OutputColour& colour = {});

    // Pool offset of frame column x (1-based) of picture n's row.
    std::size_t offset(int32_t n, int32_t x) const {
        return rowStart(n) + px_ * std::size_t(x - 1);
    }
    std::size_t pixelBytes() const { return px_; }
    // Where picture n's source row goes, usedBytes() long.
    unsigned char* row(int32_t n) { return bytes_.data() + rowStart(n); }
    std::size_t usedBytes() const { return usedBytes_; }
    const unsigned char* data() const { return bytes_.data(); }

  private:
    std::size_t rowStart(int32_t n) const { return px_ + usedBytes_ * std::size_t(n - 1); }
    std::size_t px_;
    std::size_t usedBytes_;
    std::vector<unsigned char> bytes_;
};

// Frame column of each output column (index j - 1 for column j, frameColumnOf).
std::vector<int32_t> sourceColumns(int32_t tifW, float scale, int32_t baseW);

// Frame row of every output row, index r - 1 for row r (frameRowOf).
std::vector<int32_t> sourceRows(int32_t tifH, float scale, int32_t baseH);

// Vertical strips: every column as stripSource() lays it out.
std::vector<std::size_t> stripColumnMap(std::span<const int32_t> columns, const StripLayout& layout,
                                        const PixelPool& pool);

// Horizontal strips: picture n's resampled row, column by column.
std::vector<std::size_t> pictureColumnMap(std::span<const int32_t> columns, int32_t n,
                                          const PixelPool& pool);

// Makes an output row from the pool by a map: 3-byte pixels turn from the
// stores' blue, green, red into red, green, blue; 4-byte pixels are copied.
void renderRow(const unsigned char* pool, std::span<const std::size_t> map, unsigned char* out,
               std::size_t pixelBytes = 3);

} // namespace tovrel
