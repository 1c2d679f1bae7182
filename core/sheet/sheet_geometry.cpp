#include "sheet/sheet_geometry.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "render/printer_grid.h"
#include "render/run_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace tovrel {

namespace {

// Copies along one axis of the sheet: card pixels each, starts
// round(i x pitch) apart, within `room` pixels.
int32_t copiesFitting(double room, int64_t card, double pitch) {
    if (room < static_cast<double>(card)) {
        return 0;
    }
    auto n =
        static_cast<int64_t>(std::floor((room - static_cast<double>(card)) / pitch + 1e-9)) + 1;
    while (n > 0 && roundHalfEven(static_cast<double>(n - 1) * pitch) + card > room) {
        --n;
    }
    return static_cast<int32_t>(std::min<int64_t>(n, 100000));
}

// The starts of n copies, centred in `length` pixels.
std::vector<int64_t> centredStarts(int32_t n, int64_t length, int64_t card, double pitch) {
    std::vector<int64_t> starts;
    const auto span = static_cast<int64_t>(roundHalfEven((n - 1) * pitch)) + card;
    const int64_t first = (length - span) / 2;
    for (int32_t i = 0; i < n; ++i) {
        starts.push_back(first + static_cast<int64_t>(roundHalfEven(i * pitch)));
    }
    return starts;
}

struct Fit {
    int32_t width = 0, height = 0; // the sheet
    int32_t across = 0, along = 0; // copies
    bool turned = false;
};

std::string mmText(double mm) {
    return formatDouble(std::round(mm * 10) / 10);
}

} // namespace

std::vector<SheetCard> SheetLayout::cards() const {
    std::vector<SheetCard> out;
    for (const int64_t y : rowY) {
        for (const int64_t x : columnX) {
            const PixelRect bleed{x, y, x + cardWidth, y + cardHeight};
            const PixelRect trim{x + bleedPixels, y + bleedPixels, bleed.x1 - bleedPixels,
                                 bleed.y1 - bleedPixels};
            out.push_back({trim, bleed});
        }
    }
    return out;
}

PixelRect SheetLayout::block() const {
    return {columnX.front(), rowY.front(), columnX.back() + cardWidth, rowY.back() + cardHeight};
}

double SheetLayout::cardAnchor(int64_t start) const {
    return gridStart - static_cast<double>(start);
}

Result<SheetLayout> sheetLayoutOf(const JobState& job, const RunSettings& settings) {
    const SheetSettings& press = settings.press;
    SheetLayout layout;
    layout.horizontal = settings.horizontal;
    layout.printerGrid = settings.printerPpi != 0;
    layout.ppi = layout.printerGrid ? settings.printerPpi : static_cast<double>(job.fbl);
    layout.lensPixels = layout.printerGrid
                            ? printerLensPixels(settings.printerPpi, job.Pitch)
                            : static_cast<double>(job.ViewCount) * stripWidth(job.Sharp);
    layout.cardWidth = job.tifW;
    layout.cardHeight = job.tifH;
    layout.bleedPixels = bleedPixels(press.bleedMm, layout.ppi);
    layout.marks = press.marks;
    const double L = layout.lensPixels;
    const int64_t cardAcross = layout.horizontal ? job.tifH : job.tifW;
    const int64_t cardAlong = layout.horizontal ? job.tifW : job.tifH;
    const double gutter = layout.pixels(press.gutterMm);
    // Across: whole lenses from card to card; along: whole pixels.
    const double lensesPerStep = std::ceil((cardAcross + gutter) / L - 1e-9);
    const double pitchAcross = lensesPerStep * L;
    const double pitchAlong = static_cast<double>(cardAlong) + std::ceil(gutter - 1e-9);
    const double margin = press.marks ? std::ceil(layout.pixels(kMarksRoomMm)) : 0;

    auto fitOf = [&](double wMm, double hMm, bool turned) {
        Fit fit;
        fit.width = static_cast<int32_t>(std::min(roundHalfEven(layout.pixels(wMm)),
                                                  double(std::numeric_limits<int32_t>::max())));
        fit.height = static_cast<int32_t>(std::min(roundHalfEven(layout.pixels(hMm)),
                                                   double(std::numeric_limits<int32_t>::max())));
        const double roomX = fit.width - 2 * margin;
        const double roomY = fit.height - 2 * margin;
        fit.across = copiesFitting(layout.horizontal ? roomY : roomX, cardAcross, pitchAcross);
        fit.along = copiesFitting(layout.horizontal ? roomX : roomY, cardAlong, pitchAlong);
        fit.turned = turned;
        return fit;
    };
    Fit fit = fitOf(press.paperWidthMm, press.paperHeightMm, false);
    if (press.paperTurns) {
        const Fit turned = fitOf(press.paperHeightMm, press.paperWidthMm, true);
        if (int64_t(turned.across) * turned.along > int64_t(fit.across) * fit.along) {
            fit = turned;
        }
    }
    const double paperW = fit.turned ? press.paperHeightMm : press.paperWidthMm;
    const double paperH = fit.turned ? press.paperWidthMm : press.paperHeightMm;
    if (fit.across == 0 || fit.along == 0) {
        return Status::fail(
            "卡片连同出血（" + mmText(layout.mm(job.tifW)) + "×" + mmText(layout.mm(job.tifH)) +
            " 毫米）" + (press.marks ? "和标记" : "") + "放不进 " + mmText(paperW) + "×" +
            mmText(paperH) + " 毫米的纸：可用 " + mmText(layout.mm(fit.width - 2 * margin)) + "×" +
            mmText(layout.mm(fit.height - 2 * margin)) + " 毫米。");
    }
    int32_t columns = layout.horizontal ? fit.along : fit.across;
    int32_t rows = layout.horizontal ? fit.across : fit.along;
    if (press.rows > 0) {
        if (press.rows > rows || press.columns > columns) {
            return Status::fail("纸上放不下 " + std::to_string(press.rows) + " 行 × " +
                                std::to_string(press.columns) + " 列：最多 " +
                                std::to_string(rows) + " 行 × " + std::to_string(columns) +
                                " 列。");
        }
        rows = press.rows;
        columns = press.columns;
    }
    layout.width = fit.width;
    layout.height = fit.height;
    const double pitchX = layout.horizontal ? pitchAlong : pitchAcross;
    const double pitchY = layout.horizontal ? pitchAcross : pitchAlong;
    layout.columnX = centredStarts(columns, layout.width, layout.cardWidth, pitchX);
    layout.rowY = centredStarts(rows, layout.height, layout.cardHeight, pitchY);
    layout.gutterAcrossMm = layout.mm(pitchAcross - static_cast<double>(cardAcross));
    layout.gutterAlongMm = layout.mm(pitchAlong - static_cast<double>(cardAlong));

    // The grid: at the sheet's centre on the printer's pixels, else at the
    // first card's first position.
    if (layout.printerGrid) {
        layout.gridStart = (layout.horizontal ? layout.height : layout.width) / 2.0;
    } else if (layout.horizontal) {
        layout.gridStart =
            static_cast<double>(layout.height - layout.rowY.back() - layout.cardHeight);
    } else {
        layout.gridStart = static_cast<double>(layout.columnX.front());
    }
    const double fromTop = layout.horizontal ? layout.height - layout.gridStart : layout.gridStart;
    layout.lensOrigin = std::fmod(fromTop, L);
    return layout;
}

} // namespace tovrel
