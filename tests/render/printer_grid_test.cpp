// The lens grid at the printer's resolution: a small card worked out by hand,
// two pictures at 720 ppi under lenses of 0.254 mm (7.2 printer pixels), and
// twelve solid frames under lenses of 12.0 and 7.2 printer pixels.

#include "render/interlace_engine.h"
#include "render/printer_grid.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>

namespace tovrel::test {
namespace {

struct HandWorked {
    const char* name;
    LensGrid grid;
    std::vector<GridCell> cells; // columns 1 to 10
};

class LensGridCells : public ::testing::TestWithParam<HandWorked> {};

TEST_P(LensGridCells, AsWorkedOutByHand) {
    const HandWorked& c = GetParam();
    std::vector<int32_t> sources(c.cells.size());
    std::iota(sources.begin(), sources.end(), 1);
    EXPECT_EQ(lensGridCells(sources, c.grid), c.cells);
}

// Ten columns, L = 2.5, the centre c = 5: lenses [0, 2.5), [2.5, 5), [5, 7.5),
// [7.5, 10). Column j's centre j - 0.5 gives the phases 0.2, 0.6, 0, 0.4, 0.8,
// 0.2, 0.6, 0, 0.4, 0.8; the lens centres 1.25, 3.75, 6.25, 8.75 lie in
// columns 2, 4, 7 and 9. With a white share of 1/2 of each strip the phases
// 0.4 and 0.8 (strip phases 0.8 and 0.6) are white.
INSTANTIATE_TEST_SUITE_P(
    Cases, LensGridCells,
    ::testing::Values(
        HandWorked{
            "TwoPictures",
            {2.5, 2, 2, 0},
            {{1, 2}, {2, 2}, {1, 4}, {1, 4}, {2, 4}, {1, 7}, {2, 7}, {1, 9}, {1, 9}, {2, 9}}},
        HandWorked{"TwoPicturesWhiteHalf",
                   {2.5, 2, 2, 1},
                   {{1, 2},
                    {2, 2},
                    {1, 4},
                    {1, 4, true},
                    {2, 4, true},
                    {1, 7},
                    {2, 7},
                    {1, 9},
                    {1, 9, true},
                    {2, 9, true}}},
        HandWorked{
            "ThreePictures",
            {2.5, 3, 1, 0},
            {{1, 2}, {2, 2}, {1, 4}, {2, 4}, {3, 4}, {1, 7}, {2, 7}, {1, 9}, {2, 9}, {3, 9}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Lenses must hold a printer pixel for every picture: the smallest
// resolution is pictures x 25.4 / pitch, rounded up, for pitches stored as
// floats a hair off their decimal value.
TEST(PrinterResolution, LensesNarrowerThanThePicturesAreRefused) {
    const struct {
        int32_t views;
        float pitch;
        int32_t ppi;
        int64_t smallest;
    } cases[] = {{4, 0.254f, 300, 400}, {4, 0.254f, 400, 400}, {2, 0.5f, 101, 102},
                 {2, 0.5f, 102, 102},   {3, 0.127f, 599, 600}, {3, 0.127f, 600, 600},
                 {2, 3.0f, 72, 17},     {4, 0.1f, 4800, 1016}, {2, 0.5f, 0, 102}};
    for (const auto& c : cases) {
        EXPECT_EQ(smallestPrinterPpi(c.views, c.pitch), c.smallest) << c.pitch;
        const Status lens = checkPrinterLens(c.views, c.pitch, c.ppi);
        // 0: the lenses' own resolution, which always fits.
        EXPECT_EQ(bool(lens), c.ppi == 0 || c.ppi >= c.smallest) << c.views << " " << c.pitch;
        if (!lens) {
            EXPECT_NE(lens.message().find("至少要 " + std::to_string(c.smallest) + " 像素/英寸"),
                      std::string::npos)
                << lens.message();
            EXPECT_LT(printerLensPixels(c.ppi, c.pitch), c.views);
        }
    }
}

// The picture a pixel of the test pictures comes from: its red byte.
int pictureOf(Rgb pixel) {
    return (pixel.r - 1) / 40;
}

TEST(PrinterResolution, LensesOfSevenPointTwoColumnsCentredOnTheCard) {
    const TempDir dir;
    JobState job;
    choosePictures(job, dir.path(), {{240, 12}, {240, 12}});
    job.Pitch = 0.254f;
    job.Sharp = 3;
    job.OutPath = (dir / "out.tif").string();
    RunSettings settings;
    settings.printerPpi = 720;
    settings.widthCm = 2.54; // one inch: 720 columns, 100 lenses
    settings.heightCm = 0.127;
    RunRecord record;
    ASSERT_EQ(runInterlace(job, settings, recordingHooks(record)).outcome, RunOutcome::Done);
    ASSERT_EQ(job.tifW, 720);
    ASSERT_EQ(job.tifH, 36);
    EXPECT_EQ(job.fbl, 720.0f);
    ASSERT_TRUE(readsAsTiff(job.OutPath, 720, 36, 720.0f));

    const std::vector<unsigned char> file = readFile(job.OutPath);
    std::vector<int> shown;
    for (int32_t j = 1; j <= job.tifW; ++j) {
        shown.push_back(pictureOf(outputPixel(file, job, j, 18)));
    }
    std::set<int> changes; // x of every change: between columns x and x + 1
    int runsOfFirst = 0;
    for (int32_t j = 1; j <= job.tifW; ++j) {
        ASSERT_TRUE(shown[std::size_t(j - 1)] == 1 || shown[std::size_t(j - 1)] == 2) << j;
        runsOfFirst += shown[std::size_t(j - 1)] == 1 && (j == 1 || shown[std::size_t(j - 2)] == 2);
        if (j < job.tifW && shown[std::size_t(j - 1)] != shown[std::size_t(j)]) {
            changes.insert(j);
        }
    }
    // 100 periods over 720 columns: a mean period of exactly 7.2.
    EXPECT_EQ(runsOfFirst, 100);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 1), 360);
    EXPECT_TRUE(changes.contains(360));
    for (const int x : changes) {
        EXPECT_TRUE(changes.contains(720 - x)) << x;
    }
    EXPECT_EQ(changes.size(), 199u);
}

struct TwelveFrames {
    const char* name;
    float pitch;
    int32_t ppi; // 0: the lenses' own resolution, sharpness 1
    bool horizontal;
};

class TwelveSolidFrames : public ::testing::TestWithParam<TwelveFrames> {};

// Lens-own: position t shows frame (t - 1) mod 12 + 1. At a printer's
// resolution: frame floor(phase x 12) + 1 at the position's phase, counted
// from the lens boundary at the card's centre. Only positions within a lens
// of an edge may sample outside the frame.
TEST_P(TwelveSolidFrames, EveryPositionShowsTheFrameOfItsPhase) {
    const TwelveFrames& c = GetParam();
    const TempDir dir;
    JobState job;
    std::vector<TestPicture> frames(12, TestPicture{90, 90});
    for (int n = 1; n <= 12; ++n) {
        frames[std::size_t(n - 1)].solid = Rgb{uint8_t(20 * n), uint8_t(255 - 20 * n), 7};
    }
    choosePictures(job, dir.path(), frames);
    job.Pitch = c.pitch;
    job.Sharp = 1;
    job.OutPath = (dir / "out.tif").string();
    RunSettings settings;
    settings.printerPpi = c.ppi;
    settings.horizontal = c.horizontal;
    const double across = c.ppi == 0 ? sizeFor(job, 300) : 300 * 2.54 / c.ppi;
    const double along = c.ppi == 0 ? sizeFor(job, 40) : 40 * 2.54 / c.ppi;
    settings.widthCm = c.horizontal ? along : across;
    settings.heightCm = c.horizontal ? across : along;
    RunRecord record;
    ASSERT_EQ(runInterlace(job, settings, recordingHooks(record)).outcome, RunOutcome::Done);
    const int32_t count = c.horizontal ? job.tifH : job.tifW;
    ASSERT_EQ(count, 300);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    const double L = printerLensPixels(c.ppi, c.pitch);
    constexpr int kEdge = 13; // a lens of up to 12 positions, or 4 beyond the frame at Scale 3.3
    int checked = 0;
    for (int32_t t = 1; t <= count; ++t) {
        int want = (t - 1) % 12 + 1;
        if (c.ppi != 0) {
            double e = std::fmod(t - 0.5 - count / 2.0, L);
            e += e < 0 ? L : 0;
            want = static_cast<int>(std::floor(e / L * 12)) + 1;
        }
        const Rgb pixel =
            c.horizontal ? outputPixel(file, job, 20, t) : outputPixel(file, job, t, 20);
        if (pixel == kBlack && (t <= kEdge || t > count - kEdge)) {
            continue;
        }
        EXPECT_EQ(pixel.r / 20, want) << "position " << t;
        EXPECT_EQ(pixel, (Rgb{uint8_t(20 * want), uint8_t(255 - 20 * want), 7})) << t;
        ++checked;
    }
    EXPECT_GE(checked, count - 2 * kEdge);
}

INSTANTIATE_TEST_SUITE_P(Cases, TwelveSolidFrames,
                         ::testing::Values(TwelveFrames{"LensOwnVertical", 0.254f, 0, false},
                                           TwelveFrames{"LensOwnHorizontal", 0.254f, 0, true},
                                           TwelveFrames{"Lens12Vertical", 0.4233333f, 720, false},
                                           TwelveFrames{"Lens12Horizontal", 0.4233333f, 720, true},
                                           TwelveFrames{"Lens7p2Vertical", 0.254f, 720, false},
                                           TwelveFrames{"Lens7p2Horizontal", 0.254f, 720, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
