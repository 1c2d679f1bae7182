#include "tools/batch_setup.h"

#include "chart/pitch_chart_file.h"
#include "common/leading_number.h"
#include "intake/common_frame.h"
#include "intake/frame_intake.h"
#include "intake/size_proposal.h"
#include "job/file_pick.h"
#include "job/frame_list.h"
#include "job/output_name.h"
#include "params/print_settings.h"
#include "params/size_exchange.h"
#include "render/run_checks.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace tovrel {

namespace {

constexpr const char* kDataFileName = "kvxj.dll";

// Choosing the pictures: the given files or the folder's, in order or reversed.
Status choosePictures(JobState& job, const BatchOptions& options, const PictureCache& cache) {
    std::vector<std::string> frames = options.pictures;
    if (options.framesFrom) {
        Result<std::vector<std::string>> listed = framesInFolder(*options.framesFrom);
        if (!listed) {
            return listed.status();
        }
        frames = std::move(listed.value());
    }
    if (options.reverse) {
        std::reverse(frames.begin(), frames.end());
    }
    return chooseFrames(job, frames, options.anchors, options.frames, cache);
}

// The print size: the window's proposal, then what the user typed, with the
// proportion lock on unless both width and height are given.
// optionFault: set when the typed size itself is refused.
Status choosePrintSize(BatchRun& run, const BatchOptions& options, bool& optionFault) {
    const bool both = options.width && options.height;
    TextSizeBoxes boxes(run.job.Aspect, !both);
    if (const auto proposed = proposedWidthText(run.job)) {
        boxes.setWidth(*proposed);
        if (const auto height = proposedHeightText(boxes.width(), run.job.Aspect)) {
            boxes.setHeight(*height);
        }
    }
    if (options.width) {
        boxes.typeWidth(*options.width);
    }
    if (options.height) {
        boxes.typeHeight(*options.height);
        // Only a width beyond the cap writes back into the typed box.
        if (boxes.height() != *options.height) {
            optionFault = true;
            return Status::fail("--height：按图片的宽高比例，这个高度的打印宽度超过 300 厘米；"
                                "高度最多为 " +
                                boxes.height() + " 厘米。");
        }
    }
    run.widthText = boxes.width();
    run.heightText = boxes.height();
    if (!(leadingNumber(run.widthText) > 0) || !(leadingNumber(run.heightText) > 0)) {
        if (options.width || options.height) {
            // The size given is too small to leave a width and a height.
            return Status::fail("打印尺寸太小：按给出的尺寸算得宽度为“" + run.widthText +
                                "”、高度为“" + run.heightText +
                                "”，两者都必须大于 0。请用 --width 或 --height 给出更大的尺寸。");
        }
        return Status::fail("无法从第 1 张图片推算打印尺寸（它没有记录分辨率）："
                            "请用 --width 或 --height 指定。");
    }
    return Status::ok();
}

Result<std::string> outputPath(const JobState& job, const BatchOptions& options) {
    if (options.output) {
        // As in the window: no control characters, and the full path.
        std::error_code unknown;
        return outputPathFor(*options.output, fs::current_path(unknown).string());
    }
    // The proposal cuts the extension off.
    if (!hasPictureExtension(job.InPath(1))) {
        return Status::fail("第 1 张图片的文件名不以 .bmp、.png、.jpg、.jpeg、.tif 或 .tiff "
                            "结尾，无法推出输出文件名：请用 -o 指定输出文件。");
    }
    return proposedOutputPath(job.InPath(1), options.horizontal);
}

Result<fs::path> dataFolder(const BatchOptions& options, const fs::path& defaultDataFolder) {
    if (!options.dataFile) {
        return defaultDataFolder;
    }
    const fs::path given = *options.dataFile;
    std::error_code ec;
    if (fs::is_directory(given, ec)) {
        return given;
    }
    if (given.filename() != kDataFileName) {
        return Status::fail("--data-file：数据文件必须名为 kvxj.dll（也可以给出它所在的文件夹）。");
    }
    return given.has_parent_path() ? given.parent_path() : fs::path(".");
}

} // namespace

Result<BatchRun> prepareBatchRun(const BatchOptions& options, const fs::path& defaultDataFolder,
                                 const PictureCache& cache, bool* commandLineFault) {
    BatchRun run;
    bool unused = false;
    bool& optionFault = commandLineFault != nullptr ? *commandLineFault : unused;
    optionFault = true;
    Result<fs::path> folder = dataFolder(options, defaultDataFolder);
    if (!folder) {
        return folder.status();
    }
    optionFault = false;
    run.dataFolder = folder.value();
    if (Status pictures = choosePictures(run.job, options, cache); !pictures) {
        return pictures;
    }
    if (Status size = choosePrintSize(run, options, optionFault); !size) {
        return size;
    }
    // The controls as the window's user leaves them, read as the window reads them.
    SettingsTexts texts;
    texts.pitch = options.pitch;
    texts.sharpness = options.sharpness;
    texts.width = run.widthText;
    texts.height = run.heightText;
    texts.whiteGaps = options.whiteGap > 0;
    if (texts.whiteGaps) {
        texts.whiteGapItem =
            whiteGapItems(leadingNumber(options.sharpness)).at(std::size_t(options.whiteGap - 1));
    }
    texts.horizontal = options.horizontal;
    texts.printerRes = options.printerPpi.has_value();
    texts.printerPpi = options.printerPpi.value_or("");
    const Confirmation confirmed = confirmSettings(texts, run.job.ViewCount);
    run.job.Pitch = confirmed.Pitch;
    run.job.Sharp = confirmed.Sharp;
    run.settings = runSettingsOf(texts);
    run.settings.bigTiff = options.bigTiff;
    run.settings.colour = cache.colour().settings;
    run.settings.output = cache.colour().output;
    run.settings.press = options.press;
    if (options.simulate) {
        return run; // a flip preview writes no TIFF
    }
    Result<std::string> out = outputPath(run.job, options);
    if (!out) {
        return out.status();
    }
    run.job.OutPath = out.value();
    return run;
}

Result<BatchChart> prepareBatchChart(const BatchOptions& options,
                                     const fs::path& defaultDataFolder) {
    BatchChart chart;
    Result<fs::path> folder = dataFolder(options, defaultDataFolder);
    if (!folder) {
        return folder.status();
    }
    chart.dataFolder = folder.value();
    if (!isPlainNumber(options.pitch)) {
        return Status::fail("--pitch：“" + options.pitch + "”不是数字。");
    }
    PitchChartTexts texts = chartTexts(defaultPitchChart(leadingNumber(options.pitch)));
    texts.pitch = options.pitch;
    for (auto [given, field] : {std::pair{&options.range, &texts.range},
                                {&options.step, &texts.step},
                                {&options.resolution, &texts.resolution},
                                {&options.width, &texts.widthCm},
                                {&options.bandHeight, &texts.bandMm}}) {
        if (*given) {
            *field = **given;
        }
    }
    texts.horizontal = options.horizontal;
    texts.paper = options.paper;
    Result<PitchChartSettings> settings = readPitchChart(texts);
    if (!settings) {
        return settings.status();
    }
    // A chart for a press is black ink alone, made for the output profile.
    const Result<ColourPlan> colour = colourPlanOf(options.colour);
    if (!colour) {
        return colour.status();
    }
    settings.value().output = colour.value().output;
    if (Result<ChartRows> planned = planPitchChart(settings.value()); !planned) {
        return planned.status();
    }
    chart.settings = settings.value();
    chart.output = options.output.value_or("");
    return chart;
}

} // namespace tovrel
