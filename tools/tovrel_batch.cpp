// tovrel-batch: interlaces two to four pictures into one TIFF from the
// command line, with the same core and the same results as the window.

#include "chart/pitch_chart_file.h"
#include "common/number_format.h"
#include "params/data_location.h"
#include "pitch_reading/pitch_reading.h"
#include "render/interlace_engine.h"
#include "render/run_checks.h"
#include "render/run_header.h"
#include "sheet/sheet_geometry.h"
#include "tools/batch_options.h"
#include "tools/batch_setup.h"
#include "tools/batch_simulate.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <climits>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// The run's new file, removed when the tool is interrupted before the run
// has put it in place.
char pendingFile[PATH_MAX];
volatile std::sig_atomic_t havePendingFile = 0;

extern "C" void onInterrupt(int signal) {
    if (havePendingFile) {
        ::unlink(pendingFile);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void notePendingFile(const fs::path& file) {
    havePendingFile = 0;
    const std::string& name = file.native();
    if (name.size() < sizeof pendingFile) {
        std::memcpy(pendingFile, name.c_str(), name.size() + 1);
        havePendingFile = 1;
    }
}

void complain(const std::string& message) {
    // Stored messages separate their lines with carriage returns.
    std::string text = message;
    for (char& c : text) {
        if (c == '\r') {
            c = '\n';
        }
    }
    std::cerr << "tovrel-batch: " << text << '\n';
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : self.parent_path();
}

// A bar on standard error: [#####.....]  50%
class ProgressBar {
  public:
    ProgressBar() : shown_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressBar() { finish(); }
    void show(int value) {
        if (!shown_) {
            return;
        }
        constexpr int kWidth = 40;
        const int filled = value * kWidth / 1000;
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(std::size_t(filled), '#').c_str(),
                     std::string(std::size_t(kWidth - filled), '.').c_str(), value / 10);
        std::fflush(stderr);
        drawn_ = true;
    }
    // Ends the bar's line, so whatever is printed next starts a line of its own.
    void finish() {
        if (drawn_) {
            std::fputc('\n', stderr);
            std::fflush(stderr);
            drawn_ = false;
        }
    }

  private:
    bool shown_;
    bool drawn_ = false;
};

int run(tovrel::BatchRun& batch) {
    using namespace tovrel;
    PitchStore store(batch.dataFolder);
    ProgressBar bar;
    RunHooks hooks;
    hooks.makeTif = [&store](JobState& job, const fs::path& file, TiffForm form) {
        notePendingFile(file);
        return writeHeaderAndRecordPitch(store, job, file, form, complain);
    };
    hooks.progress = [&bar](int value) { bar.show(value); };
    if (Status path = store.checkOutputPath(batch.job.OutPath); !path) {
        complain(path.message());
        return kExitRefused;
    }
    // The sheet's lay-out, told with the result: the gutters actually used.
    std::optional<SheetLayout> sheet;
    if (JobState card = batch.job; batch.settings.press.sheet && planRun(card, batch.settings)) {
        if (Result<SheetLayout> laid = sheetLayoutOf(card, batch.settings)) {
            sheet = laid.value();
        }
    }
    const RunResult result = runInterlace(batch.job, batch.settings, hooks);
    havePendingFile = 0;
    bar.finish();
    switch (result.outcome) {
    case RunOutcome::Done:
        break;
    case RunOutcome::HeaderNotWritten:
        return kExitRefused;
    case RunOutcome::Refused:
    case RunOutcome::Failed:
        complain(result.status.message());
        return kExitRefused;
    }
    const JobState& job = batch.job;
    std::cout << "输出文件：" << job.OutPath << '\n'
              << "打印尺寸：" << batch.widthText << " × " << batch.heightText << " 厘米\n"
              << "宽度：" << job.tifW << " 像素\n"
              << "高度：" << job.tifH << " 像素\n"
              << "分辨率：" << formatSingle(job.fbl) << " 像素/英寸\n"
              << "格式："
              << (tiffFormFor(job.tifW, job.tifH, batch.settings.bigTiff) == TiffForm::Big
                      ? "BigTIFF"
                      : "TIFF")
              << '\n';
    if (sheet) {
        std::cout << "拼版：" << sheet->rows() << " 行 × " << sheet->columns() << " 列，间距 "
                  << formatDouble(std::round(sheet->gutterAlongMm * 100) / 100) << " 毫米，跨透镜 "
                  << formatDouble(std::round(sheet->gutterAcrossMm * 100) / 100)
                  << " 毫米（取整个透镜）\n";
    }
    return 0;
}

int simulate(const tovrel::BatchRun& batch, const tovrel::BatchOptions& options) {
    const tovrel::Result<tovrel::ViewSize> size = tovrel::simulateBatch(batch, options);
    if (!size) {
        complain(size.message());
        return kExitRefused;
    }
    std::cout << "预览图：" << *options.simulateOut << '\n'
              << "尺寸：" << size.value().width << " × " << size.value().height << " 像素\n";
    return 0;
}

// The pitch test chart, and its bands' pitches on standard output.
int pitchTest(const tovrel::BatchOptions& options, const fs::path& dataFolder) {
    using namespace tovrel;
    // Every refusal here is of what the command line asked for.
    Result<BatchChart> chart = prepareBatchChart(options, dataFolder);
    if (!chart) {
        complain(chart.message());
        return kExitUsage;
    }
    ProgressBar bar;
    ChartHooks hooks;
    hooks.progress = [&bar](int value) { bar.show(value); };
    hooks.fileCreated = notePendingFile;
    const BatchChart& c = chart.value();
    const Status written = writePitchChart(c.settings, c.dataFolder, c.output, hooks);
    havePendingFile = 0;
    if (!written) {
        complain(written.message());
        return kExitRefused;
    }
    const int decimals = labelDecimals(c.settings);
    for (const double pitch : chartPitches(c.settings)) {
        std::cout << bandLabel(pitch, decimals) << '\n';
    }
    return 0;
}

// The pitch read from a photograph of the chart; the last line is the
// pitch alone, for scripts.
int readPitch(const tovrel::BatchOptions& options, const fs::path& dataFolder) {
    using namespace tovrel;
    Result<BatchChart> chart = prepareBatchChart(options, dataFolder);
    if (!chart) {
        complain(chart.message());
        return kExitRefused;
    }
    const Result<PitchReading> read = readPitchPhoto(*options.readPitch, chart.value().settings);
    if (!read) {
        complain(read.message());
        return kExitRefused;
    }
    std::cout << readingSummary(read.value(), chart.value().settings) << '\n'
              << pitchText(read.value().pitch) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // A file that may not grow further fails its write, which is reported,
    // instead of ending the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, onInterrupt);
    }
    const tovrel::Result<tovrel::BatchOptions> options =
        tovrel::parseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        complain(options.message() + "\n用 --help 查看用法。");
        return kExitUsage;
    }
    if (options.value().help) {
        std::cout << tovrel::batchUsage();
        return 0;
    }
    if (options.value().version) {
        std::cout << tovrel::batchVersion();
        return 0;
    }
    std::filesystem::path dataFolder;
    if (!options.value().dataFile) {
        const tovrel::DataLocation data =
            tovrel::locateDataFolder(programFolder(), tovrel::processDataEnvironment());
        if (!data.problem.empty()) {
            complain(data.problem);
        }
        dataFolder = data.folder;
    }
    if (options.value().readPitch) {
        return readPitch(options.value(), dataFolder);
    }
    if (options.value().pitchTest) {
        return pitchTest(options.value(), dataFolder);
    }
    tovrel::PictureCache cache(
        tovrel::cacheFolderFrom(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    // The profiles are read and checked before any picture is decoded.
    tovrel::Result<tovrel::ColourPlan> colour = tovrel::colourPlanOf(options.value().colour);
    if (!colour) {
        complain(colour.message());
        return kExitRefused;
    }
    cache.setColour(std::move(colour).value());
    if (options.value().brokenProfileAsSrgb) {
        cache.takeBrokenAsSrgb();
    }
    // The tool leaves behind no store that nobody else uses once it ends.
    const auto done = [&cache](int code) {
        cache.removeAllBut({});
        return code;
    };
    bool commandLineFault = false;
    tovrel::Result<tovrel::BatchRun> batch =
        tovrel::prepareBatchRun(options.value(), dataFolder, cache, &commandLineFault);
    if (!batch) {
        const bool broken = batch.status().reason() == tovrel::kBrokenEmbeddedProfile;
        complain(batch.message() +
                 (broken ? "\n用 --broken-profile-as-srgb 可按 sRGB 处理这张图片。" : ""));
        return done(commandLineFault ? kExitUsage : kExitRefused);
    }
    if (options.value().simulate) {
        return done(simulate(batch.value(), options.value()));
    }
    return done(run(batch.value()));
}
