#include "render/printer_grid.h"

#include "render/column_map.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

double printerLensPixels(int32_t ppi, float pitch) {
    return static_cast<double>(ppi) * static_cast<double>(pitch) / 25.4;
}

std::vector<GridCell> lensGridCells(std::span<const int32_t> sources, const LensGrid& grid) {
    const auto count = static_cast<int64_t>(sources.size());
    const double L = grid.lensPixels;
    const double c = static_cast<double>(count) / 2;
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
