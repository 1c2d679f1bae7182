// A card of 24 frames: 24 PNG pictures of 1500 x 1000 pixels into a card
// 100 cm wide at 720 ppi under lenses of 0.4233333 mm (12 printer pixels for
// 24 frames), about 1.6 GB, decoding included, as the batch tool does it
// from --frames-from. Its time against dd writing the same bytes into the
// same folder with conv=fsync, and its peak resident memory.
//
// Usage: frames_bench [folder]   (default: the temporary folder)

#include "bench/bench_support.h"
#include "render/interlace_engine.h"
#include "render/run_header.h"
#include "tools/batch_options.h"
#include "tools/batch_setup.h"

#include <cstdio>
#include <png.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tovrel;
using namespace tovrel::bench;

namespace {

constexpr int kFrames = 24;
constexpr int kWidth = 1500;
constexpr int kHeight = 1000;

// Frame k: a photo-like gradient that moves with k.
bool writePng(const fs::path& file, int k) {
    FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(std::size_t(kWidth) * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t grain = (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) >> 28;
            row[std::size_t(x) * 3] = png_byte((x + 8 * k) / 6 + grain);
            row[std::size_t(x) * 3 + 1] = png_byte(y / 4 + grain);
            row[std::size_t(x) * 3 + 2] = png_byte((x + y + 40 * k) / 9);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path work = folder / ("tovrel-frames-bench-" + std::to_string(getpid()));
    fs::create_directories(work / "frames");
    fs::copy_file(TOVREL_DATA_FILE, work / "kvxj.dll");
    const std::vector<std::string> args = {"--frames-from",
                                           (work / "frames").string(),
                                           "--pitch",
                                           "0.4233333",
                                           "--sharpness",
                                           "1",
                                           "--printer-ppi",
                                           "720",
                                           "--width",
                                           "100",
                                           "-o",
                                           (work / "card.tif").string(),
                                           "--data-file",
                                           work.string()};
    const Result<BatchOptions> options = parseBatchOptions(args);
    if (!options) {
        std::fprintf(stderr, "%s\n", options.message().c_str());
        return 1;
    }
    for (int k = 1; k <= kFrames; ++k) {
        if (!writePng(work / "frames" / ("f" + std::to_string(k) + ".png"), k)) {
            std::fprintf(stderr, "cannot write frame %d\n", k);
            return 1;
        }
    }
    // The sizes, without decoding: what a run will write.
    const int64_t bytes = 1449 + int64_t{28346} * 18898 * 3;
    struct statvfs room {};
    if (::statvfs(work.c_str(), &room) != 0 ||
        static_cast<int64_t>(room.f_bavail) * static_cast<int64_t>(room.f_frsize) <
            bytes + (int64_t{400} << 20)) {
        std::fprintf(stderr, "not enough room in %s for %lld bytes\n", work.c_str(),
                     static_cast<long long>(bytes));
        fs::remove_all(work);
        return 1;
    }
    int64_t written = 0;
    const Measured run = measure([&] {
        const PictureCache cache(work / "cache");
        Result<BatchRun> batch = prepareBatchRun(options.value(), work, cache);
        if (!batch) {
            std::fprintf(stderr, "%s\n", batch.message().c_str());
            return false;
        }
        PitchStore store(work);
        RunHooks hooks;
        hooks.makeTif = [&store](JobState& job, const fs::path& file, TiffForm form) {
            return writeHeaderAndRecordPitch(store, job, file, form, [](const std::string& text) {
                std::fprintf(stderr, "%s\n", text.c_str());
            });
        };
        const RunResult result = runInterlace(batch.value().job, batch.value().settings, hooks);
        if (result.outcome != RunOutcome::Done) {
            std::fprintf(stderr, "%s\n", result.status.message().c_str());
        }
        return result.outcome == RunOutcome::Done;
    });
    std::error_code ec;
    written = static_cast<int64_t>(fs::file_size(work / "card.tif", ec));
    fs::remove(work / "card.tif", ec);
    fs::remove_all(work / "cache", ec);
    const double dd = run.ok ? timeDd(work / "dd.out", written) : -1;
    fs::remove_all(work, ec);
    if (!run.ok || dd <= 0) {
        std::fprintf(stderr, "the run or dd failed\n");
        return 1;
    }
    std::printf("%d frames of %d x %d PNG, %lld bytes written\n", kFrames, kWidth, kHeight,
                static_cast<long long>(written));
    std::printf("%-34s %7.2f s\n", "dd bs=1M conv=fsync", dd);
    std::printf("%-34s %7.2f s  %.2f x dd  peak %.1f MB\n", "decode + interlace, 720 ppi",
                run.seconds, run.seconds / dd, run.peakBeyondKb / 1024.0);
    std::printf("goal: at most 1.1 x dd, peak below 64 MB\n");
    return 0;
}
