#pragma once
// The pixels of a pitch chart, one row at a time: the title strip at the top,
// then the bands, each with its label in a white margin at its start and its
// grating after it, white gaps between them. Vertical lines: bands stacked
// from top to bottom. Horizontal lines: bands side by side from left to
// right, labels turned to read upwards. The grating's phase is 0 (a line
// starts) at the chart's centre line.

#include "chart/chart_font.h"
#include "chart/chart_targets.h"
#include "chart/grating.h"
#include "chart/pitch_chart.h"
#include "common/status.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace tovrel {

struct ChartLayout {
    int64_t width = 0;     // pixels
    int64_t height = 0;    // rows
    int64_t title = 0;     // rows of the title strip
    int64_t pad = 0;       // white around text
    int64_t gap = 0;       // white between bands
    int64_t band = 0;      // extent of a band along its lines
    int64_t margin = 0;    // label margin at a band's start, across its lines
    int64_t titleSpan = 0; // the title's width with its white on either side
    int bands = 0;

    // First pixel of band j across the bands: its top row (vertical lines)
    // or its left column (horizontal lines), from the chart's top or left.
    int64_t bandStart(int j, bool horizontal) const;
};

class ChartRows {
  public:
    // Lays the chart out and sets its text; refuses a chart whose size the
    // pixel arithmetic cannot hold or whose labels do not fit. A title wider
    // than a vertical chart is set in smaller type, down to two thirds of the
    // labels' size; narrower than that it is refused.
    static Result<ChartRows> make(const PitchChartSettings& settings,
                                  const std::filesystem::path& fontFile);

    const ChartLayout& layout() const { return layout_; }

    // Rows with the same key are the same; -1 is a white row.
    int64_t rowKey(int64_t y) const;

    // Row y (0 = top), 3 * width bytes of RGB.
    // 3 bytes a pixel, or 4 (black ink only) for CMYK output.
    void row(int64_t y, std::span<uint8_t> rgb);

  private:
    ChartRows() = default;
    void verticalRow(int64_t y);
    void horizontalRow(int64_t y);
    // Row `row` of the title line when y lies on it.
    bool titleRow(int64_t y);
    int bandAt(int64_t position) const; // -1 in a gap

    PitchChartSettings settings_;
    ChartLayout layout_;
    Status fitTitle(const std::filesystem::path& fontFile, int digitRows, int64_t width);

    std::unique_ptr<ChartFont> font_;
    std::unique_ptr<ChartFont> titleFont_; // the title's smaller type, when it needs one
    TextLine title_;
    std::vector<TextLine> labels_;
    std::array<ChartTarget, 4> targets_;
    std::vector<Grating> gratings_;
    std::vector<uint8_t> grey_;    // the row being made
    std::vector<uint8_t> pattern_; // vertical lines: the grating row of one band
    int patternBand_ = -1;
};

} // namespace tovrel
