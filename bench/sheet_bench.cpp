// Times a press sheet: SRA3 of business cards (8.5 x 5.5 cm, bleed 3 mm,
// marks) at a printer's 1200 pixels per inch, lenses of 0.254 mm, two
// pictures of 1000 x 650: 15118 x 21260 pixels, about 0.96 GB. Against dd
// writing the same number of bytes into the same folder with conv=fsync, the
// fastest of a few turns each; prints the ratio and the sheet run's peak
// resident memory beyond its baseline (goal: at most 1.1 x dd, below 64 MB).
// A single card of the sheet's pixel size is timed beside it, and the CPU
// time of both is printed: what the sheet costs beyond the card engine.
//
// Usage: sheet_bench [folder] [--rounds N]

#include "bench/bench_support.h"
#include "intake/common_frame.h"
#include "render/interlace_engine.h"
#include "render/run_checks.h"
#include "sheet/sheet_run.h"

#include <cstdio>
#include <cstring>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tovrel;
using namespace tovrel::bench;

namespace {

JobState sheetJob(const fs::path& work) {
    JobState job;
    job.ViewCount = 2;
    job.Views = 2;
    for (int n = 1; n <= 2; ++n) {
        job.InPath(n) = (work / ("card" + std::to_string(n) + ".bmp")).string();
    }
    const SlotArray<double> offY = readAnchors(job, {}, {});
    for (int n = 1; n <= 2; ++n) {
        readSlotHeader(job, n, nullptr);
    }
    computeCommonFrame(job, offY);
    job.Pitch = 0.254f;
    job.Sharp = 1;
    job.OutPath = (work / "sheet.tif").string();
    return job;
}

} // namespace

int main(int argc, char** argv) {
    fs::path folder = fs::temp_directory_path();
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            folder = argv[i];
        }
    }
    RunHooks hooks;
    hooks.makeTif = benchHeaderWriter(TOVREL_DATA_FILE);
    if (!hooks.makeTif) {
        return 1;
    }
    const fs::path work = folder / ("tovrel-sheet-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    for (int n = 1; n <= 2; ++n) {
        writeBmp24(work / ("card" + std::to_string(n) + ".bmp"), 1000, 650,
                   [n](int y, std::vector<char>& row) {
                       for (std::size_t x = 0; x + 2 < row.size(); x += 3) {
                           row[x] = char(x * n);
                           row[x + 1] = char(y);
                           row[x + 2] = char(n * 90);
                       }
                   });
    }
    RunSettings settings{8.5, 5.5};
    settings.printerPpi = 1200;
    settings.press.sheet = true;
    settings.press.bleedMm = 3;
    settings.press.marks = true;
    readPaper("SRA3", settings.press);
    JobState sized = sheetJob(work);
    if (Status plan = planRun(sized, settings); !plan) {
        std::fprintf(stderr, "%s\n", plan.message().c_str());
        return 1;
    }
    const Result<SheetRun> sheet = planSheet(sized, settings);
    if (!sheet) {
        std::fprintf(stderr, "%s\n", sheet.message().c_str());
        return 1;
    }
    const SheetLayout& layout = sheet.value().layout;
    const int64_t bytes = 3 * int64_t(layout.width) * layout.height + 1449;
    std::printf("sheet %d x %d, %d x %d cards, %lld bytes, in %s\n", layout.width, layout.height,
                layout.rows(), layout.columns(), static_cast<long long>(bytes), work.c_str());
    struct statfs fs {};
    if (statfs(work.c_str(), &fs) == 0 && (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC)) {
        std::printf("the folder is in memory: the figures say nothing about a disk\n");
    }
    // A single card of the sheet's size on the same grid: the engine's own
    // cost for as many bytes, beside which the sheet's extra work shows.
    RunSettings card = settings;
    card.press = {};
    card.widthCm = layout.width * 2.54 / settings.printerPpi;
    card.heightCm = layout.height * 2.54 / settings.printerPpi;
    auto timed = [&](const RunSettings& s) {
        Measured m = measure([&] {
            JobState job = sheetJob(work);
            const RunResult result = runInterlace(job, s, hooks);
            if (result.outcome != RunOutcome::Done) {
                std::fprintf(stderr, "%s\n", result.status.message().c_str());
            }
            return result.outcome == RunOutcome::Done;
        });
        fs::remove(work / "sheet.tif");
        return m;
    };
    auto keepBest = [](Measured& best, const Measured& m) {
        if (m.ok && (!best.ok || m.seconds < best.seconds)) {
            const long peak = std::max(m.peakBeyondKb, best.peakBeyondKb);
            const double cpu = best.ok ? std::min(m.cpuSeconds, best.cpuSeconds) : m.cpuSeconds;
            best = m;
            best.peakBeyondKb = peak;
            best.cpuSeconds = cpu;
        }
    };
    double dd = 1e9;
    Measured run;
    Measured cardRun;
    for (int round = 0; round < rounds; ++round) {
        const double d = timeDd(work / "dd.out", bytes);
        dd = d > 0 ? std::min(dd, d) : dd;
        keepBest(run, timed(settings));
        keepBest(cardRun, timed(card));
    }
    fs::remove_all(work);
    std::printf("%-28s %7.2f s\n", "dd bs=1M conv=fsync", dd);
    if (!run.ok || !cardRun.ok) {
        std::printf("sheet or card run failed\n");
        return 1;
    }
    std::printf("%-28s %7.2f s   %5.2f x dd   cpu %.2f s   peak +%.1f MB\n", "sheet run",
                run.seconds, run.seconds / dd, run.cpuSeconds, run.peakBeyondKb / 1024.0);
    std::printf("%-28s %7.2f s   %5.2f x dd   cpu %.2f s   peak +%.1f MB\n",
                "card of the sheet's size", cardRun.seconds, cardRun.seconds / dd,
                cardRun.cpuSeconds, cardRun.peakBeyondKb / 1024.0);
    return 0;
}
