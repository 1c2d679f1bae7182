// The printer-resolution rendering against its plain transcription over
// generated runs: 2 to 4 pictures (and 5 to 64 frames) with anchors, resolutions whose lens is a
// whole number of pixels and ones where it is not (each lens at least as wide
// as the pictures are many), lenses cut at both edges,
// white gaps, both directions, scales below and above 1. Whole files agree
// byte for byte; with a whole lens every lens has the same layout.

#include "render/interlace_engine.h"
#include "render/printer_grid.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_printer_engine.h"
#include "tests/render/run_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace tovrel::test {
namespace {

constexpr int kRuns = 300;

struct Lens {
    float pitch;
    int32_t ppi;
};

// L = 5, 10, 5, 10: whole lenses where the pitch is exact in single precision.
constexpr Lens kWholeLenses[] = {{0.25f, 508}, {0.125f, 2032}, {1.0f, 127}, {2.0f, 127}};
constexpr Lens kOddLenses[] = {{0.254f, 720},  {0.508f, 300}, {0.3f, 600}, {0.45f, 254},
                               {0.127f, 1440}, {2.0f, 72},    {0.4f, 360}, {0.33f, 2400}};

std::string describe(const JobState& job, const RunSettings& s) {
    std::ostringstream out;
    out << int(job.ViewCount) << " pictures, frame " << job.BaseW << "x" << job.BaseH << ", "
        << job.tifW << "x" << job.tifH << ", R " << s.printerPpi << ", Pitch " << job.Pitch
        << ", Scale " << job.Scale << (s.horizontal ? ", horizontal" : ", vertical")
        << (s.whiteGaps ? ", white " + std::to_string(s.whiteWidth) : "");
    return out.str();
}

// With a whole lens, positions a lens apart show the same picture and white.
bool lensesAlike(const std::vector<GridCell>& cells, int64_t lens) {
    for (std::size_t i = 0; i + std::size_t(lens) < cells.size(); ++i) {
        const GridCell& a = cells[i];
        const GridCell& b = cells[i + std::size_t(lens)];
        if (a.picture != b.picture || a.white != b.white) {
            return false;
        }
    }
    return true;
}

struct PrinterCoverage {
    int whole = 0, cutBoth = 0, horizontal = 0, white = 0, shrinking = 0, growing = 0;
    int moreFramesThanPixels = 0; // lenses narrower than the frames they hold
};

void comparePrinterRuns(uint32_t seed, int minViews, int maxViews, int runs,
                        PrinterCoverage& seen) {
    RunGenerator gen{std::mt19937{seed}};
    auto below = [&](int n) { return gen.below(n); };
    auto between = [&](int lo, int hi) { return gen.between(lo, hi); };
    auto& [whole, cutBoth, horizontal, white, shrinking, growing, narrow] = seen;
    const TempDir dir(scratchRoot());
    for (int run = 0; run < runs; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(between(minViews, maxViews)));
        for (TestPicture& p : pictures) {
            p = gen.picture(30);
            p.handBuilt = below(3) == 0;
        }
        choosePictures(job, dir.path(), pictures);
        const bool wholeLens = below(3) == 0;
        const Lens lens = wholeLens ? kWholeLenses[below(4)] : kOddLenses[below(8)];
        job.Pitch = lens.pitch;
        job.Sharp = static_cast<float>(between(1, 8));
        if (job.ViewCount * job.Sharp > 255) {
            job.Sharp = static_cast<float>(255 / job.ViewCount);
        }
        RunSettings settings;
        settings.printerPpi = lens.ppi;
        const double grow = below(2) == 0 ? between(30, 95) / 100.0 : between(1, 5);
        auto side = [&](int32_t frame) {
            const int32_t pixels = std::clamp(static_cast<int32_t>(frame * grow), 1, 150);
            return pixels * 2.54 / lens.ppi;
        };
        settings.widthCm = side(job.BaseW);
        settings.heightCm = side(job.BaseH);
        gen.whiteAndDirection(settings, job, [&](int offered) { return between(0, offered); });

        RunPair both;
        ASSERT_TRUE(runBoth(job, settings, dir.path(),
                            [](JobState& j, const RunSettings& s, const RunHooks& h) {
                                return oraclePrinterInterlace(j, s, h);
                            },
                            both));
        const JobState& plain = both.plain;
        const std::string what = "run " + std::to_string(run) + ": " + describe(job, settings);
        ASSERT_EQ(job.tifW, plain.tifW) << what;
        ASSERT_EQ(job.tifH, plain.tifH) << what;
        EXPECT_EQ(job.fbl, static_cast<float>(lens.ppi)) << what;
        ASSERT_EQ(readFile(job.OutPath), readFile(plain.OutPath)) << what;
        EXPECT_TRUE(readsAsTiff(job.OutPath, static_cast<uint32_t>(job.tifW),
                                static_cast<uint32_t>(job.tifH), job.fbl))
            << what;

        const double L = printerLensPixels(lens.ppi, job.Pitch);
        const PrinterPattern pattern = printerPattern(job, settings);
        const int32_t across = settings.horizontal ? job.tifH : job.tifW;
        ASSERT_EQ(pattern.lenses.size(), std::size_t(across)) << what;
        if (wholeLens) {
            ASSERT_EQ(L, std::floor(L)) << what;
            EXPECT_TRUE(lensesAlike(pattern.lenses, static_cast<int64_t>(L))) << what;
        }
        // Lens boundaries at c + kL: cut at both edges unless one lands on them.
        const double edge = std::fmod(across / 2.0, L);
        cutBoth += edge != 0 && across > 2 * L;
        whole += wholeLens;
        horizontal += settings.horizontal;
        white += settings.whiteGaps && settings.whiteWidth > 0;
        shrinking += job.Scale < 1;
        growing += job.Scale > 1;
        narrow += L < job.ViewCount;
    }
}

TEST(PrinterDifferential, MatchesThePlainRenderingByteForByte) {
    PrinterCoverage seen;
    comparePrinterRuns(20261207, 2, 4, kRuns, seen);
    const auto& [whole, cutBoth, horizontal, white, shrinking, growing, narrow] = seen;
    expectEachKind({{"whole lens", whole},
                    {"cut at both edges", cutBoth},
                    {"horizontal", horizontal},
                    {"white gaps", white},
                    {"Scale below 1", shrinking},
                    {"Scale above 1", growing}},
                   20);
}

// N frames at the printer's resolution, N often above the lens's pixels.
TEST(PrinterDifferential, ManyFramesMatchThePlainRenderingByteForByte) {
    PrinterCoverage seen;
    comparePrinterRuns(20261208, 5, kMaxFrames, 60, seen);
    EXPECT_GE(seen.moreFramesThanPixels, 20);
    EXPECT_GE(seen.horizontal, 10);
    EXPECT_GE(seen.white, 10);
}

} // namespace
} // namespace tovrel::test
