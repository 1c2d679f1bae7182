#pragma once
// Where the copies of a card lie on a press sheet, and the one lens grid that
// runs across the whole sheet.
//
// Pixels count from the sheet's top left, x to the right, y down; rectangles
// are half-open. Across the lenses (x for vertical lenses, y for horizontal
// ones) the step from card to card is a whole number of lenses, so the
// gutter asked for grows to the next whole lens. With a whole number of
// pixels per lens the grid starts at the first card's edge and every card is
// the single card as it is; at the printer's resolution the lens is a
// fraction of pixels, the grid is anchored at the sheet's centre, and each
// card takes the phase of the grid where it lies.

#include "common/status.h"
#include "job/job_state.h"
#include "params/print_settings.h"

#include <cstdint>
#include <vector>

namespace tovrel {

// Room left for the marks beyond the outer cards' bleed: crop marks 2 to
// 7 mm out, alignment bars 8 to 14 mm, the slug line 15 to 17.5 mm.
inline constexpr double kMarksRoomMm = 18;
inline constexpr double kCropGapMm = 2;
inline constexpr double kCropLengthMm = 5;
inline constexpr double kBarFromMm = 8;
inline constexpr double kBarDepthMm = 6;
inline constexpr double kSlugFromMm = 15;
inline constexpr double kSlugDigitMm = 2;

struct PixelRect {
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    bool contains(int64_t x, int64_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
    bool operator==(const PixelRect&) const = default;
};

struct SheetCard {
    PixelRect trim;
    PixelRect bleed;
};

struct SheetLayout {
    int32_t width = 0; // the sheet in pixels
    int32_t height = 0;
    double ppi = 0;
    bool horizontal = false; // lenses run along x; across them is y
    bool printerGrid = false;
    double lensPixels = 0; // L
    // A lens boundary along the axis across the lenses, 0 <= o < L: from the
    // left for vertical lenses, from the top for horizontal ones.
    double lensOrigin = 0;
    // The same boundary unreduced, in positions across the lenses (from the
    // left, or from the bottom for horizontal lenses): the sheet's centre or
    // the first card's edge. Phases are taken from it, so a boundary that
    // falls on a pixel's centre falls there exactly.
    double gridStart = 0;
    int32_t cardWidth = 0; // one card with its bleed
    int32_t cardHeight = 0;
    int32_t bleedPixels = 0;
    std::vector<int64_t> columnX; // left edge (bleed) of each column of cards
    std::vector<int64_t> rowY;    // top edge (bleed) of each row of cards
    double gutterAcrossMm = 0;    // the gutters used, between bleed edges
    double gutterAlongMm = 0;
    bool marks = false;

    int32_t rows() const { return static_cast<int32_t>(rowY.size()); }
    int32_t columns() const { return static_cast<int32_t>(columnX.size()); }
    // Row by row from the top, left to right.
    std::vector<SheetCard> cards() const;
    // The bleed box of all cards.
    PixelRect block() const;
    // For lensGridCells: the position of a lens boundary in the coordinates of
    // the card at offset `start` across the lenses (its left edge for vertical
    // lenses; for horizontal ones its bottom edge counted from the sheet's
    // bottom). Positions count from the card's first one, as in a single card.
    double cardAnchor(int64_t start) const;
    // Millimetres of sheet pixels.
    double mm(double pixels) const { return pixels / ppi * 25.4; }
    double pixels(double mm) const { return mm / 25.4 * ppi; }
};

// The lay-out of the sheet for a card whose geometry is set (tifW, tifH and
// fbl with the bleed included; ViewCount, Sharp, Pitch). Refuses, with what
// fits, a card that does not fit the sheet with its bleed and marks and
// copies that do not fit.
Result<SheetLayout> sheetLayoutOf(const JobState& job, const RunSettings& settings);

} // namespace tovrel
