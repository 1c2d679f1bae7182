// The flip preview of four 6000 x 4000 pictures, 800 pixels across: how long
// the first view takes (it reads the sampled rows of every picture) and how
// long each further view takes while the phase sweeps and the pitch error
// changes, in both directions, the saved looping GIF, and the memory its
// cache holds.
//
// Usage: flip_bench [FOLDER]  (the pictures, 288 MB, are written there once)

#include "bench/bench_support.h"
#include "flip/flip_simulator.h"
#include "flip/sweep_gif.h"
#include "tools/batch_setup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kViewWidth = 800;
constexpr int kViews = 60;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 24-bit bottom-up BMP, a different gradient for each picture.
void writePicture(const std::filesystem::path& file, int n) {
    tovrel::bench::writeBmp24(file, kWidth, kHeight, [n](int y, std::vector<char>& row) {
        for (int x = 0; x < kWidth; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<char>(x * 255 / kWidth);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(y * 255 / kHeight);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(60 * n);
        }
    });
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void measure(const std::vector<std::string>& pictures, bool horizontal) {
    using namespace tovrel;
    BatchOptions options;
    options.pictures = pictures;
    options.pitch = "0.254";
    options.sharpness = "2";
    options.width = "30";
    options.horizontal = horizontal;
    options.simulate = 0.5;
    // The pictures are plain BMP files: the cache stays unused.
    const PictureCache cache(std::filesystem::temp_directory_path() / "tovrel-flip-bench-cache");
    Result<BatchRun> run = prepareBatchRun(options, std::filesystem::current_path(), cache);
    if (!run) {
        std::printf("refused: %s\n", run.message().c_str());
        return;
    }
    const long before = peakKilobytes();
    Clock::time_point start = Clock::now();
    Result<FlipSimulator> simulator = FlipSimulator::prepare(run.value().job, run.value().settings);
    if (!simulator) {
        std::printf("refused: %s\n", simulator.message().c_str());
        return;
    }
    FlipSimulator& flip = simulator.value();
    const ViewSize size = flip.viewSize(kViewWidth);
    if (!flip.render(size, 0.125, 0)) {
        std::printf("the first view failed\n");
        return;
    }
    const double first = msSince(start);
    std::vector<double> phases;
    for (int i = 0; i < kViews; ++i) {
        start = Clock::now();
        if (!flip.render(size, sweepPhase(i, 16), 0)) {
            std::printf("a view failed\n");
            return;
        }
        phases.push_back(msSince(start));
    }
    std::vector<double> errors;
    for (const double error : {0.0001, 0.005, -0.01, 0.02, -0.02}) {
        start = Clock::now();
        if (!flip.render(size, 0.375, error)) {
            std::printf("a view failed\n");
            return;
        }
        errors.push_back(msSince(start));
    }
    // The saved sweep: every frame's colours reduced to a palette of its own.
    start = Clock::now();
    const Result<std::vector<uint8_t>> gif = encodeSweepGif(flip, size, 0);
    const double sweep = msSince(start);
    if (!gif) {
        std::printf("the sweep failed: %s\n", gif.message().c_str());
        return;
    }
    std::sort(phases.begin(), phases.end());
    const JobState& job = flip.job();
    std::printf("%s: output %d x %d, view %d x %d\n", horizontal ? "horizontal" : "vertical",
                job.tifW, job.tifH, size.width, size.height);
    std::printf("  first view            %8.1f ms\n", first);
    std::printf("  next %d phases        median %6.2f ms, worst %6.2f ms\n", kViews,
                phases[phases.size() / 2], phases.back());
    std::printf("  new pitch errors      %s ms\n",
                [&] {
                    std::string text;
                    for (const double ms : errors) {
                        text += std::to_string(ms).substr(0, 6) + " ";
                    }
                    return text;
                }()
                    .c_str());
    std::printf("  looping GIF, %d frames %8.1f ms, %zu KB\n", sweepFrames(kSweepSteps), sweep,
                gif.value().size() / 1024);
    std::printf("  memory peak growth    %ld MB\n", (peakKilobytes() - before) / 1024);
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::temp_directory_path() / "tovrel_flip_bench";
    std::filesystem::create_directories(folder);
    std::vector<std::string> pictures;
    for (int n = 1; n <= 4; ++n) {
        const std::filesystem::path file = folder / ("flip" + std::to_string(n) + ".bmp");
        if (!std::filesystem::exists(file)) {
            writePicture(file, n);
        }
        pictures.push_back(file.string());
    }
    std::printf("4 pictures of %d x %d, pitch 0.254 mm, sharpness 2, 30 cm wide\n", kWidth,
                kHeight);
    measure(pictures, false);
    measure(pictures, true);
    return 0;
}
