#pragma once
// From the batch tool's options to what a run of the window would have: the
// job state as choosing the pictures leaves it, the print size the size boxes
// would show, the confirmed pitch and sharpness, the white-gap and direction
// settings, the output path and the data file's folder.

#include "chart/pitch_chart.h"
#include "common/status.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "render/run_geometry.h"
#include "tools/batch_options.h"

#include <filesystem>
#include <string>

namespace tovrel {

struct BatchRun {
    JobState job;
    RunSettings settings;
    std::string widthText; // the print size as the size boxes would show it
    std::string heightText;
    std::filesystem::path dataFolder; // the folder of kvxj.dll
};

// defaultDataFolder: the folder of kvxj.dll without --data-file; cache:
// where pictures other than plain 24-bit BMP files are decoded. Refuses
// pictures whose headers cannot be read, pictures without a common frame,
// a print size that cannot be proposed, and an output name that cannot be
// proposed or a data file not named kvxj.dll, and a height whose width in
// the pictures' proportion passes the 300 cm cap. commandLineFault, when
// given, tells whether the refusal is of an option's value (the data file's
// name, the height) rather than of the pictures.
Result<BatchRun> prepareBatchRun(const BatchOptions& options,
                                 const std::filesystem::path& defaultDataFolder,
                                 const PictureCache& cache, bool* commandLineFault = nullptr);

struct BatchChart {
    PitchChartSettings settings;
    std::string output;
    std::filesystem::path dataFolder; // the folder of kvxj.dll
};

// A pitch test chart: the fields not given take their defaults for the pitch,
// as the window's pitch test dialog offers them; all are checked as there,
// and the chart is laid out on its paper.
Result<BatchChart> prepareBatchChart(const BatchOptions& options,
                                     const std::filesystem::path& defaultDataFolder);

} // namespace tovrel
