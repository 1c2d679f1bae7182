#pragma once
// A press sheet as a column and row pattern over the run's pixel pool: the
// same maps a single card is made from, laid side by side at every card's
// place with the phase of the sheet's lens grid there, paper (white)
// between. Computed once per run.

#include "job/job_state.h"
#include "params/print_settings.h"
#include "render/column_map.h"
#include "sheet/sheet_geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tovrel {

// What a sheet row shows before its marks: map `map` of the pattern over the
// pictures' frame row `frameRow`, or paper alone (map -1).
struct SheetRow {
    int32_t map = -1;
    int32_t frameRow = 0;
    bool operator==(const SheetRow&) const = default;
};

// A piece of a sheet row: columns [x0, x1) made through the row's map, copied
// from columns [from, from + x1 - x0) made before them in the same row, or
// paper.
struct SheetSpan {
    enum class Fill { Map, Copy, Paper };
    int64_t x0 = 0;
    int64_t x1 = 0;
    Fill fill = Fill::Paper;
    int64_t from = 0;
    bool operator==(const SheetSpan&) const = default;
};

struct SheetPattern {
    // Sheet-wide column maps into the pool: one for vertical lenses, one per
    // picture for horizontal ones.
    std::vector<std::vector<std::size_t>> maps;
    // Per map, its row left to right: where a card's part of the map equals
    // the card before it, its pixels are copied from that card's, so a row
    // gathers each column of a card once.
    std::vector<std::vector<SheetSpan>> spans;
    std::vector<SheetRow> rows; // per sheet row, from the top
};

// Needs Scale, SharpB, BaseW, BaseH, ViewCount and Pitch of the run.
// cardColumns: the frame column of each of a card's columns.
SheetPattern sheetPattern(const JobState& job, const RunSettings& settings,
                          const SheetLayout& layout, const PixelPool& pool,
                          std::span<const int32_t> cardColumns);

// Makes a sheet row by map `map` of the pattern: what renderRow() makes of
// the whole map, with paper taken from `paper` (a row of paper white).
void renderSheetRow(const SheetPattern& pattern, int32_t map, const unsigned char* pool,
                    const unsigned char* paper, unsigned char* out, std::size_t pixelBytes);

} // namespace tovrel
