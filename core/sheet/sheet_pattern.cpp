#include "sheet/sheet_pattern.h"

#include "render/printer_grid.h"
#include "render/run_geometry.h"
#include "render/strip_plan.h"

#include <algorithm>

namespace tovrel {

namespace {

// A map of the sheet's width: paper, with `card` laid at every column of cards.
void layCard(std::vector<std::size_t>& sheetMap, int64_t x0, std::span<const std::size_t> card) {
    std::copy(card.begin(), card.end(), sheetMap.begin() + x0);
}

std::vector<std::size_t> cellMap(std::span<const GridCell> cells, const PixelPool& pool) {
    std::vector<std::size_t> map(cells.size());
    for (std::size_t j = 0; j < cells.size(); ++j) {
        map[j] = cells[j].white ? kWhitePixel : pool.offset(cells[j].picture, cells[j].source);
    }
    return map;
}

// Vertical lenses: one map; every card row shows its own frame row.
void verticalPattern(SheetPattern& p, const JobState& job, const RunSettings& settings,
                     const SheetLayout& layout, const PixelPool& pool,
                     std::span<const int32_t> cardColumns) {
    std::vector<std::size_t> map(std::size_t(layout.width), kWhitePixel);
    const std::vector<std::size_t> card =
        stripColumnMap(cardColumns, runStripLayout(job, settings), pool);
    for (const int64_t x0 : layout.columnX) {
        if (layout.printerGrid) {
            const std::vector<GridCell> cells =
                lensGridCellsAt(cardColumns, lensGridOf(job, settings), layout.cardAnchor(x0));
            layCard(map, x0, cellMap(cells, pool));
        } else {
            layCard(map, x0, card);
        }
    }
    p.maps.push_back(std::move(map));
    for (const int64_t y0 : layout.rowY) {
        for (int64_t r = 1; r <= layout.cardHeight; ++r) {
            p.rows[std::size_t(y0 + layout.cardHeight - r)] = {0,
                                                               frameRowOf(r, job.Scale, job.BaseH)};
        }
    }
}

// A card's rows from its bottom, as the single card's horizontal strips make
// them: each strip repeats the row made at its first row.
std::vector<SheetRow> wholeLensRows(const JobState& job, const RunSettings& settings,
                                    int32_t height) {
    std::vector<SheetRow> rows(static_cast<std::size_t>(height), SheetRow{});
    const StripLayout strips = runStripLayout(job, settings);
    SheetRow current;
    for (int32_t r = 1; r <= height; ++r) {
        const RowStep step = horizontalStep(r, strips, job.Scale, job.BaseH);
        if (step.make) {
            current = {step.picture - 1, step.frameRow};
        }
        rows[std::size_t(r - 1)] = step.put == RowStep::Put::White ? SheetRow{} : current;
    }
    return rows;
}

// Horizontal lenses: a map per picture; every row shows one picture's row
// across all cards of its band.
void horizontalPattern(SheetPattern& p, const JobState& job, const RunSettings& settings,
                       const SheetLayout& layout, const PixelPool& pool,
                       std::span<const int32_t> cardColumns) {
    for (int32_t n = 1; n <= job.ViewCount; ++n) {
        std::vector<std::size_t> map(std::size_t(layout.width), kWhitePixel);
        const std::vector<std::size_t> card = pictureColumnMap(cardColumns, n, pool);
        for (const int64_t x0 : layout.columnX) {
            layCard(map, x0, card);
        }
        p.maps.push_back(std::move(map));
    }
    const std::vector<SheetRow> whole = wholeLensRows(job, settings, layout.cardHeight);
    const std::vector<int32_t> cardRows = sourceRows(layout.cardHeight, job.Scale, job.BaseH);
    for (const int64_t y0 : layout.rowY) {
        const int64_t bottom = y0 + layout.cardHeight; // first row below the card
        std::vector<SheetRow> rows = whole;
        if (layout.printerGrid) {
            const std::vector<GridCell> cells = lensGridCellsAt(
                cardRows, lensGridOf(job, settings), layout.cardAnchor(layout.height - bottom));
            for (std::size_t i = 0; i < cells.size(); ++i) {
                rows[i] =
                    cells[i].white ? SheetRow{} : SheetRow{cells[i].picture - 1, cells[i].source};
            }
        }
        for (int64_t r = 1; r <= layout.cardHeight; ++r) {
            p.rows[std::size_t(bottom - r)] = rows[std::size_t(r - 1)];
        }
    }
}

} // namespace

SheetPattern sheetPattern(const JobState& job, const RunSettings& settings,
                          const SheetLayout& layout, const PixelPool& pool,
                          std::span<const int32_t> cardColumns) {
    SheetPattern p;
    p.rows.assign(std::size_t(layout.height), SheetRow{});
    if (layout.horizontal) {
        horizontalPattern(p, job, settings, layout, pool, cardColumns);
    } else {
        verticalPattern(p, job, settings, layout, pool, cardColumns);
    }
    return p;
}

} // namespace tovrel
