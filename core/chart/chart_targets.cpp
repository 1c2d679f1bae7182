#include "chart/chart_targets.h"

#include "chart/pitch_chart_rows.h"
#include "common/rounding.h"

#include <algorithm>
#include <cstdlib>

namespace tovrel {

namespace {

constexpr double kModuleMm = 0.8;

} // namespace

std::array<ChartTarget, 4> chartTargets(const ChartLayout& l, double resolution, bool horizontal) {
    const auto wanted = static_cast<int64_t>(roundHalfEven(kModuleMm * resolution / 25.4));
    const int64_t module = std::max<int64_t>(1, std::min(wanted, l.band / kTargetModules));
    const int64_t size = kTargetModules * module;
    const int64_t across = l.bandStart(l.bands - 1, horizontal) + l.band;
    int64_t left = l.margin;
    int64_t top = l.bandStart(0, false);
    int64_t right = l.width;
    int64_t bottom = across;
    if (horizontal) {
        left = 0;
        top = l.title + l.margin;
        right = across;
        bottom = l.height;
    }
    return {ChartTarget{left, top, module, false}, ChartTarget{right - size, top, module, false},
            ChartTarget{right - size, bottom - size, module, false},
            ChartTarget{left, bottom - size, module, true}};
}

void drawTargetsRow(const std::array<ChartTarget, 4>& targets, int64_t y, std::span<uint8_t> grey) {
    for (const ChartTarget& t : targets) {
        if (y < t.y || y >= t.y + t.size()) {
            continue;
        }
        const int64_t v = (y - t.y) / t.module - kTargetModules / 2;
        for (int64_t x = t.x; x < t.x + t.size() && x < std::ssize(grey); ++x) {
            const int64_t u = (x - t.x) / t.module - kTargetModules / 2;
            // Rings by their distance from the centre module.
            const int64_t ring = std::max(std::abs(u), std::abs(v));
            const bool black = ring == 3 || (ring <= 1 && !t.hollow);
            grey[std::size_t(x)] = black ? 0 : 255;
        }
    }
}

} // namespace tovrel
