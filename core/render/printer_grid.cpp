#include "render/printer_grid.h"

#include "common/number_format.h"
#include "render/column_map.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tovrel {

double printerLensPixels(int32_t ppi, float pitch) {
    return static_cast<double>(ppi) * static_cast<double>(pitch) / 25.4;
}

int64_t smallestPrinterPpi(int32_t views, float pitch) {
    // A hair below the quotient, so that a pitch stored as a float just above
    // its decimal value does not ask for one pixel per inch more.
    return static_cast<int64_t>(
        std::ceil(static_cast<double>(views) * 25.4 / static_cast<double>(pitch) - 1e-6));
}

Status checkPrinterLens(int32_t views, float pitch, int32_t ppi) {
    if (ppi == 0 || views > kSlots || !(pitch > 0) || ppi >= smallestPrinterPpi(views, pitch)) {
        return Status::ok();
    }
    return Status::fail("栅距 " + formatSingle(pitch) + " 毫米在 " + std::to_string(ppi) +
                        " 像素/英寸下每个光栅不到 " + std::to_string(views) +
                        " 个像素，容不下所有图片：打印机分辨率至少要 " +
                        std::to_string(smallestPrinterPpi(views, pitch)) + " 像素/英寸。");
}

std::vector<GridCell> lensGridCells(std::span<const int32_t> sources, const LensGrid& grid) {
    return lensGridCellsAt(sources, grid, static_cast<double>(sources.size()) / 2);
}

std::vector<GridCell> lensGridCellsAt(std::span<const int32_t> sources, const LensGrid& grid,
                                      double anchor) {
    const auto count = static_cast<int64_t>(sources.size());
    const double L = grid.lensPixels;
    const double c = anchor;
    const double whiteFrom = 1 - static_cast<double>(grid.whiteWidth) / grid.strip;
    std::vector<GridCell> cells(sources.size());
    for (int64_t j = 1; j <= count; ++j) {
        // The offset from the lens's start, e = (t - c) - k x L, is taken by the
        // exact remainder: with a whole L it is the same number under every
        // lens, so every lens gets the same layout.
        const double d = static_cast<double>(j) - 0.5 - c;
        double e = std::fmod(d, L);
        if (e < 0) {
            e += L;
        }
        const double k = std::round((d - e) / L);
        // The phase e / L times V; below V, or V itself for an offset that
        // rounds up to a whole lens: that is the last picture.
        const double share = e * grid.views / L;
        const auto n = std::min(static_cast<int32_t>(std::floor(share)) + 1, grid.views);
        // The position that holds the lens centre, clamped to the image.
        const double centre = std::floor(c + (k + 0.5) * L) + 1;
        const auto at = static_cast<int64_t>(std::clamp(centre, 1.0, static_cast<double>(count)));
        GridCell& cell = cells[std::size_t(j - 1)];
        cell.picture = n;
        cell.source = sources[std::size_t(at - 1)];
        cell.white = grid.whiteWidth > 0 && share - (n - 1) >= whiteFrom;
    }
    return cells;
}

LensGrid lensGridOf(const JobState& job, const RunSettings& settings) {
    LensGrid grid;
    grid.lensPixels = printerLensPixels(settings.printerPpi, job.Pitch);
    grid.views = job.ViewCount;
    grid.strip = job.SharpB;
    grid.whiteWidth = settings.whiteGaps ? settings.whiteWidth : 0;
    return grid;
}

PrinterPattern printerPattern(const JobState& job, const RunSettings& settings) {
    PrinterPattern pattern;
    pattern.columns = sourceColumns(job.tifW, job.Scale, job.BaseW);
    pattern.rows = sourceRows(job.tifH, job.Scale, job.BaseH);
    pattern.lenses = lensGridCells(settings.horizontal ? pattern.rows : pattern.columns,
                                   lensGridOf(job, settings));
    return pattern;
}

} // namespace tovrel
