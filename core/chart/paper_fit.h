#pragma once
// Whether a laid-out pitch chart fits its paper's printable area, upright or
// turned; if not, what does: how many bands, or how wide a chart.

#include "chart/pitch_chart.h"
#include "chart/pitch_chart_rows.h"
#include "common/status.h"

namespace tovrel {

// The message says the most bands that fit (an odd number, as the bands lie
// either side of the nominal one) or the widest chart that does.
Status checkChartPaper(const ChartLayout& layout, const PitchChartSettings& settings);

} // namespace tovrel
