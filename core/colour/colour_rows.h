#pragma once
// Decoded rows converted on their way into a row store: a band of rows is
// gathered, converted by the picture's one transform on both cores, and
// handed on row by row in the store's pixels.

#include "colour/colour_plan.h"
#include "intake/picture_decoder.h"

#include <vector>

namespace tovrel {

class ColourRows final : public DecodedRows {
  public:
    // Rows of `width` pixels go through `colour` into `out`.
    ColourRows(const PictureColour& colour, DecodedRows& out, int32_t width);

    Status row(int32_t y, const uint8_t* bgr) override;
    Status pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) override;
    // Hands on the rows still gathered.
    Status finish();

  private:
    const PictureColour& colour_;
    DecodedRows& out_;
    std::size_t width_;
    std::size_t bandRows_;
    std::vector<uint8_t> in_, converted_;
    std::vector<int32_t> ys_; // the rows gathered, in order
};

} // namespace tovrel
