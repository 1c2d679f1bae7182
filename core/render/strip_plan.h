#pragma once
// Where every output position of a run takes its pixel from, one position at
// a time: the frame row of an output row, the frame column of an output
// column, the strip pattern under the lenses. The engine builds its per-run
// maps from these; the flip preview asks them for just the positions it
// samples.

#include <cstdint>

namespace tovrel {

struct StripLayout {
    int32_t views = 2;      // pictures, 2 to 4
    int32_t strip = 1;      // strip width in pixels
    bool whiteGaps = false; // white at the end of every strip
    int32_t whiteWidth = 0; // white pixels per strip, 0 to strip
};

// A frame index worked out for an output position, taken to the nearest
// pixel of a frame `length` pixels long (1..length): every output pixel shows
// a pixel of the pictures, so the card has no black edge.
int32_t nearestFrameIndex(double index, int32_t length);

// Frame row of output row r (1 = bottom): r / scale rounded half to even,
// within 1..baseH.
int32_t frameRowOf(int64_t r, float scale, int32_t baseH);

// Frame column of output column j (1 = left): j / scale rounded half to even,
// within 1..baseW.
int32_t frameColumnOf(int64_t j, float scale, int32_t baseW);

// Vertical strips: output column p (0-based) of a row `width` columns wide
// shows picture `picture`'s resampled pixel of output column `column`
// (1-based), or white when picture is 0.
//
// Under every lens lie strips of pictures 1..views in order, each filled with
// its picture's pixel at the strip's first column. With white gaps the last
// whiteWidth pixels of every whole strip are white; in a strip cut off by the
// right edge the pixels that white would have taken keep picture 1's pixel of
// their own column.
struct StripSource {
    int32_t picture = 0;
    int64_t column = 0;
};
StripSource stripSource(int64_t p, int64_t width, const StripLayout& layout);

// Horizontal strips: what the run does at output row r (1 = bottom). At the
// first row of a strip it makes a new current row from picture `picture`'s
// frame row `frameRow`; then it writes the row white (the first whiteWidth
// rows of the strip) or writes the current row, the one made last.
struct RowStep {
    enum class Put { White, Current };
    bool make = false;
    int32_t picture = 0;
    int32_t frameRow = 0;
    Put put = Put::Current;
};
RowStep horizontalStep(int64_t r, const StripLayout& layout, float scale, int32_t baseH);

} // namespace tovrel
