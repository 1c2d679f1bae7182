#pragma once
// Writes a pitch chart as a TIFF file by the same road as a run: the data
// file's header template patched with the chart's size and resolution, a new
// file beside the output that takes its place only when complete, rows
// streamed in large chunks.

#include "chart/chart_font.h"
#include "chart/pitch_chart.h"
#include "chart/pitch_chart_rows.h"
#include "common/status.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tovrel {

struct ChartHooks {
    // 0 to 1000 as the rows are written; may be empty.
    std::function<void(int value)> progress;
    // The new file the chart is written into, before anything is written;
    // may be empty.
    std::function<void(const std::filesystem::path& file)> fileCreated;
};

// The chart's rows, laid out: refuses bad settings, text that does not fit,
// a chart too large for the file format and one that does not fit its paper,
// each with its message. Nothing is written.
Result<ChartRows> planPitchChart(const PitchChartSettings& settings,
                                 const std::filesystem::path& fontFile = chartFontFile());

// Refuses what planPitchChart refuses, a chart too large for the file format, the data file
// or anything but an ordinary file as the output, a missing data file and a
// disk without room for the chart, each with its message and without leaving
// a file; otherwise writes the chart to output. dataFolder holds kvxj.dll.
Status writePitchChart(const PitchChartSettings& settings, const std::filesystem::path& dataFolder,
                       const std::string& output, const ChartHooks& hooks = {},
                       const std::filesystem::path& fontFile = chartFontFile());

} // namespace tovrel
