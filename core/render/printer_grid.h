#pragma once
// The printer-resolution rendering's pattern: the lens grid laid on the
// printer's own pixels. Each lens is R x Pitch / 25.4 pixels wide, in general
// not a whole number, and a lens boundary lies at the card's centre, so that
// what the printer's grid cannot hold spreads evenly towards both edges.
//
// Across the lenses (columns for vertical strips, rows from the bottom for
// horizontal ones) every position shows one picture: picture n where its
// centre lies in the n-th V-th of its lens. All positions under one lens show
// their pictures' frame pixel at the lens's centre, so a flip shows the same
// spot of every picture. Along the lenses the usual mapping holds.
//
// Computed once per run; the engine renders from it, and a preview can
// simulate the print from it without writing a file.

#include "common/status.h"
#include "job/job_state.h"
#include "render/run_geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tovrel {

// The lens width in printer pixels: R x Pitch / 25.4, in double precision.
double printerLensPixels(int32_t ppi, float pitch);

// The smallest printer resolution whose lenses hold a pixel for each of the
// pictures: pictures x 25.4 / Pitch, rounded up.
int64_t smallestPrinterPpi(int32_t views, float pitch);

// Refuses a printer resolution whose lenses are narrower than the number of
// pictures: some pictures would get no pixel under some lenses, and the card
// could not flip. The message names the smallest resolution that works.
Status checkPrinterLens(int32_t views, float pitch, int32_t ppi);

struct LensGrid {
    double lensPixels = 1;  // L
    int32_t views = 2;      // pictures under each lens
    int32_t strip = 1;      // s, the strip width of the usual rendering
    int32_t whiteWidth = 0; // white share of each strip: whiteWidth / s; 0: no white gaps
};

struct GridCell {
    int32_t picture = 1; // 1 to views
    int32_t source = 1;  // frame column (or row) shown: the usual mapping at the lens centre
    bool white = false;  // in the white gap at the end of its strip
    bool operator==(const GridCell&) const = default;
};

// The grid of a run: needs ViewCount, SharpB and Pitch, and the settings'
// printer resolution and white gaps.
LensGrid lensGridOf(const JobState& job, const RunSettings& settings);

// The cells of positions 1..sources.size(). sources: the usual mapping of each
// position to a frame column (or row).
std::vector<GridCell> lensGridCells(std::span<const int32_t> sources, const LensGrid& grid);
// The same with a lens boundary at `anchor` (in positions from the start,
// the card's centre above): a card on a sheet takes the sheet's grid.
std::vector<GridCell> lensGridCellsAt(std::span<const int32_t> sources, const LensGrid& grid,
                                      double anchor);

// The whole pattern of a run.
struct PrinterPattern {
    std::vector<int32_t> columns; // frame column of each output column, usual mapping
    std::vector<int32_t> rows;    // frame row of each output row from the bottom
    // Per column (vertical strips) or per row from the bottom (horizontal).
    std::vector<GridCell> lenses;
};

// Needs tifW, tifH, Scale, BaseW, BaseH, ViewCount, SharpB and Pitch of the
// run, and settings.printerPpi.
PrinterPattern printerPattern(const JobState& job, const RunSettings& settings);

} // namespace tovrel
