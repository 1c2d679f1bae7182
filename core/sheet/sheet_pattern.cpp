#include "sheet/sheet_pattern.h"

#include "render/printer_grid.h"
#include "render/run_geometry.h"
#include "render/strip_plan.h"

#include <algorithm>
#include <cstring>

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

// Equal stretches shorter than this are gathered again rather than copied.
constexpr int64_t kShortestCopy = 32;

// Appends a piece, joined to the last one where it simply continues it.
void addSpan(std::vector<SheetSpan>& spans, SheetSpan span) {
    if (!spans.empty()) {
        SheetSpan& last = spans.back();
        // A copy is joined only while it does not reach into its own source.
        const bool continues =
            last.fill == span.fill && last.x1 == span.x0 &&
            (span.fill != SheetSpan::Fill::Copy || (last.from + (last.x1 - last.x0) == span.from &&
                                                    span.x1 - last.x0 <= last.x0 - last.from));
        if (continues) {
            last.x1 = span.x1;
            return;
        }
    }
    spans.push_back(span);
}

// A card at x0 after the card at `before`: its columns whose map equals the
// earlier card's are copied from it, the rest are made through the map. With
// lenses of whole pixels the two are equal throughout; on the printer's grid
// the lens phase drifts by a hair from card to card and some lenses differ.
void addCard(std::vector<SheetSpan>& spans, const std::vector<std::size_t>& map, int64_t x0,
             int64_t before, int64_t width) {
    int64_t i = 0;
    while (i < width) {
        int64_t j = i;
        while (j < width && map[std::size_t(x0 + j)] == map[std::size_t(before + j)]) {
            ++j;
        }
        if (j - i >= kShortestCopy || (j == width && i == 0)) {
            addSpan(spans, {x0 + i, x0 + j, SheetSpan::Fill::Copy, before + i});
        } else {
            // A short equal stretch and the differing one after it.
            while (j < width && map[std::size_t(x0 + j)] != map[std::size_t(before + j)]) {
                ++j;
            }
            addSpan(spans, {x0 + i, x0 + j, SheetSpan::Fill::Map, 0});
        }
        i = j;
    }
}

// The pieces of a row of `map`: cards at columnX, paper between them.
std::vector<SheetSpan> spansOf(const std::vector<std::size_t>& map, const SheetLayout& layout) {
    std::vector<SheetSpan> spans;
    int64_t x = 0;
    for (std::size_t c = 0; c < layout.columnX.size(); ++c) {
        const int64_t x0 = layout.columnX[c];
        if (x0 > x) {
            addSpan(spans, {x, x0, SheetSpan::Fill::Paper, 0});
        }
        if (c == 0) {
            addSpan(spans, {x0, x0 + layout.cardWidth, SheetSpan::Fill::Map, 0});
        } else {
            addCard(spans, map, x0, layout.columnX[c - 1], layout.cardWidth);
        }
        x = x0 + layout.cardWidth;
    }
    if (x < layout.width) {
        addSpan(spans, {x, layout.width, SheetSpan::Fill::Paper, 0});
    }
    return spans;
}

} // namespace

void renderSheetRow(const SheetPattern& pattern, int32_t map, const unsigned char* pool,
                    const unsigned char* paper, unsigned char* out, std::size_t pixelBytes) {
    const std::vector<std::size_t>& columns = pattern.maps[std::size_t(map)];
    for (const SheetSpan& s : pattern.spans[std::size_t(map)]) {
        const auto x0 = std::size_t(s.x0);
        const auto n = std::size_t(s.x1 - s.x0);
        unsigned char* to = out + x0 * pixelBytes;
        switch (s.fill) {
        case SheetSpan::Fill::Map:
            renderRow(pool, std::span(columns).subspan(x0, n), to, pixelBytes);
            break;
        case SheetSpan::Fill::Copy:
            std::memcpy(to, out + std::size_t(s.from) * pixelBytes, n * pixelBytes);
            break;
        case SheetSpan::Fill::Paper:
            std::memcpy(to, paper + x0 * pixelBytes, n * pixelBytes);
            break;
        }
    }
}

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
    for (const std::vector<std::size_t>& map : p.maps) {
        p.spans.push_back(spansOf(map, layout));
    }
    return p;
}

} // namespace tovrel
