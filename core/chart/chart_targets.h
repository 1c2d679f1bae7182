#pragma once
// Four square targets at the corners of a chart's gratings, so that a photograph
// of the chart under its lens sheet can be located and rectified without
// reading its labels (which the lenses mangle). Each is 9 modules wide: a
// white border, a black ring, a white ring and a 3 x 3 black centre; the
// bottom-left one has no centre, which tells the chart's orientation.

#include <array>
#include <cstdint>
#include <span>

namespace tovrel {

struct ChartLayout;

inline constexpr int kTargetModules = 9;

struct ChartTarget {
    int64_t x = 0; // top-left pixel of the target's square
    int64_t y = 0;
    int64_t module = 1; // pixels per module
    bool hollow = false;

    int64_t size() const { return kTargetModules * module; }
    // The target's centre, in pixels from the chart's top-left corner.
    double centreX() const { return static_cast<double>(x) + 0.5 * static_cast<double>(size()); }
    double centreY() const { return static_cast<double>(y) + 0.5 * static_cast<double>(size()); }
};

// Top-left, top-right, bottom-right, bottom-left: the corners of the region
// the gratings cover, each target inside the first or last band.
std::array<ChartTarget, 4> chartTargets(const ChartLayout& layout, double resolution,
                                        bool horizontal);

// Paints the targets' pixels of row y into a row of grey values.
void drawTargetsRow(const std::array<ChartTarget, 4>& targets, int64_t y, std::span<uint8_t> grey);

} // namespace tovrel
