#include "chart/paper_fit.h"

#include "common/number_format.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

namespace {

constexpr double kMmPerInch = 25.4;

// The chart's two extents: along its lines (the bands' length) and across
// them (the bands one after another), for any number of bands.
struct ChartExtents {
    const ChartLayout& l;
    bool horizontal;

    int64_t along() const { return horizontal ? l.height : l.width; }
    int64_t across(int bands) const {
        const int64_t stacked = bands * l.band + (bands - 1) * l.gap;
        return horizontal ? std::max(stacked, l.titleSpan) : l.title + stacked;
    }
};

} // namespace

Status checkChartPaper(const ChartLayout& l, const PitchChartSettings& s) {
    const PaperArea area = printableArea(s.paper);
    // The printable sides in pixels, with room for the conversion's last bit.
    const double sides[2] = {area.widthMm * s.resolution / kMmPerInch + 1e-6,
                             area.heightMm * s.resolution / kMmPerInch + 1e-6};
    const auto fits = [&](int64_t along, int64_t across) {
        return (along <= sides[0] && across <= sides[1]) ||
               (along <= sides[1] && across <= sides[0]);
    };
    const ChartExtents chart{l, s.horizontal};
    if (fits(chart.along(), chart.across(l.bands))) {
        return Status::ok();
    }
    const std::string paper = paperName(s.paper) + " 纸的可打印范围（四边各留 1 厘米）";
    // The bands fit one way: the chart is too long along its lines.
    double longest = -1;
    for (int k = 0; k < 2; ++k) {
        if (chart.across(l.bands) <= sides[1 - k]) {
            longest = std::max(longest, sides[k]);
        }
    }
    if (longest >= 0) {
        // A horizontal chart's title strip takes its share of the length.
        const double lengthPixels = longest - static_cast<double>(s.horizontal ? l.title : 0);
        const double mostCm = std::floor(lengthPixels * kMmPerInch / s.resolution + 1e-9) / 10;
        return Status::fail(paper + "放不下 " + formatDouble(s.widthCm) + " 厘米的宽度，最多 " +
                            formatDouble(mostCm) + " 厘米：请减小宽度。");
    }
    int most = l.bands - 2;
    while (most >= 1 && !fits(chart.along(), chart.across(most))) {
        most -= 2;
    }
    if (most < 1) {
        return Status::fail(paper + "放不下这张测试图：请减小宽度、范围或条高，或换用更大的纸。");
    }
    return Status::fail(paper + "最多放得下 " + std::to_string(most) + " 条测试条，现在有 " +
                        std::to_string(l.bands) +
                        " 条：请减小范围、增大步长或减小条高，"
                        "或换用更大的纸。");
}

} // namespace tovrel
