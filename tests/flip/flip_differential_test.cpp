// The flip view against the file a run writes: every view pixel must be the
// output pixel its lens shows, read back through libtiff, for pictures
// whose every pixel tells which picture, column and row it is. At the
// middle of picture n's share with no pitch error the view is picture n.

#include "flip/flip_simulator.h"
#include "render/interlace_engine.h"
#include "tests/flip/flip_fixture.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovrel::test {
namespace {

struct DiffCase {
    const char* name;
    std::vector<TestPicture> pictures;
    SceneSettings settings;
    int32_t viewWidth;
};

Rgb tiffPixel(const TiffContents& tiff, int64_t column, int64_t row) {
    const std::vector<uint8_t>& line = tiff.rows.at(std::size_t(tiff.height - row));
    const std::size_t at = 3 * std::size_t(column - 1);
    return {line.at(at), line.at(at + 1), line.at(at + 2)};
}

// The picture a pattern colour comes from (sourceColour: red is 40n + 1..39).
int pictureOf(Rgb colour) {
    return (colour.r - 1) / 40;
}

// Whether the lens under view pixel (u, v) lies wholly on the card: one cut
// by the card's edge shows the edge pixel at phases beyond the edge.
bool wholeLens(const FlipSimulator& simulator, ViewSize size, int32_t u, int32_t v) {
    const PrintMapping& mapping = simulator.mapping();
    const LensSheet sheet{mapping.grid(), 0};
    const int32_t along = mapping.horizontal() ? size.height : size.width;
    const int32_t i = mapping.horizontal() ? size.height - 1 - v : u;
    const int64_t lens = sheet.lensAt(viewCentre(i, along, mapping.lensAxisLength()));
    return sheet.sampleOf(lens, 0) >= 0 && sheet.sampleOf(lens + 1, 0) <= mapping.lensAxisLength();
}

class FlipAgainstOutput : public ::testing::TestWithParam<DiffCase> {};

TEST_P(FlipAgainstOutput, ViewIsTheOutputSeenThroughTheLenses) {
    const DiffCase& c = GetParam();
    TempDir dir;
    FlipScene scene = flipScene(dir.path(), c.pictures, c.settings);
    FlipSimulator simulator = simulatorFor(scene);

    scene.job.OutPath = (dir / "out.tif").string();
    RunRecord record;
    const RunResult run = runInterlace(scene.job, scene.settings, recordingHooks(record));
    ASSERT_EQ(run.outcome, RunOutcome::Done) << run.status.message();
    ASSERT_EQ(simulator.job().tifW, scene.job.tifW);
    ASSERT_EQ(simulator.job().tifH, scene.job.tifH);
    const TiffContents tiff = readTiff(scene.job.OutPath, true);
    ASSERT_TRUE(tiff.opened && tiff.complaints.empty());
    ASSERT_EQ(tiff.rows.size(), std::size_t(scene.job.tifH));

    const int views = scene.job.ViewCount;
    // Phases run over [0, 1): 0.999 is the slider's last step.
    std::vector<double> phases{0, 0.37, 0.5, 0.999};
    for (int n = 1; n <= views; ++n) {
        phases.push_back(simulator.pictureCentrePhase(n));
    }
    const ViewSize size = simulator.viewSize(c.viewWidth);
    for (const double error : {0.0, 0.0123, -0.02}) {
        for (std::size_t p = 0; p < phases.size(); ++p) {
            const Result<ViewImage> view = simulator.render(size, phases[p], error);
            ASSERT_TRUE(view) << view.message();
            ASSERT_EQ(view.value().width, size.width);
            ASSERT_EQ(view.value().height, size.height);
            const ViewSamples samples = simulator.samples(size, phases[p], error);
            ASSERT_EQ(samples.columns.size(), std::size_t(size.width));
            ASSERT_EQ(samples.rows.size(), std::size_t(size.height));
            // The middle of picture n's share, as the run puts it on the card.
            const int centreOf = p >= 4 && error == 0 ? int(p) - 3 : 0;
            int shown = 0;
            for (int32_t v = 0; v < size.height; ++v) {
                for (int32_t u = 0; u < size.width; ++u) {
                    const int64_t column = samples.columns[std::size_t(u)];
                    const int64_t row = samples.rows[std::size_t(v)];
                    // Every view pixel shows a pixel of the card, none black.
                    ASSERT_GE(column, 1) << u;
                    ASSERT_GE(row, 1) << v;
                    const Rgb pixel = pixelAt(view.value(), u, v);
                    ASSERT_NE(pixel, kBlack) << u << "," << v;
                    ASSERT_EQ(pixel, tiffPixel(tiff, column, row))
                        << "phase " << phases[p] << ", error " << error << ", view " << u << ","
                        << v << ", output " << column << "," << row;
                    if (centreOf != 0 && wholeLens(simulator, size, u, v)) {
                        ASSERT_NE(pixel, kWhite) << u << "," << v;
                        ASSERT_EQ(pictureOf(pixel), centreOf) << u << "," << v;
                        ++shown;
                    }
                }
            }
            if (centreOf != 0) {
                EXPECT_GE(shown, size.width * size.height / 2) << "picture " << centreOf;
            }
        }
    }
}

TestPicture anchored(int32_t width, int32_t height, int32_t x, int32_t y) {
    TestPicture p{width, height, x, y};
    p.handBuilt = true;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, FlipAgainstOutput,
    ::testing::Values(
        DiffCase{"TwoVertical", {{30, 20}, {30, 20}}, {3, 90, 60}, 45},
        DiffCase{"TwoVerticalWhite", {{30, 20}, {30, 20}}, {3, 90, 60, false, 1}, 45},
        DiffCase{"TwoHorizontalWhite", {{30, 20}, {32, 24}}, {2, 70, 100, true, 1}, 35},
        DiffCase{"ThreeAnchoredVertical",
                 {anchored(24, 18, 3, 2), {26, 20}, anchored(25, 21, 1, 4)},
                 {2, 50, 40},
                 80},
        DiffCase{"FourHorizontalWhiteCutLens",
                 {{20, 16}, {20, 16}, {21, 17}, {20, 16}},
                 {4, 130, 97, true, 3},
                 64},
        DiffCase{"WideStrips", {{30, 20}, {30, 20}}, {4, 100, 60}, 50},
        DiffCase{"ShrunkenVertical", {{40, 30}, {40, 30}}, {1, 30, 22}, 30},
        DiffCase{
            "ThreeWideStripsHorizontal", {{20, 30}, {20, 30}, {20, 30}}, {5, 60, 90, true}, 200},
        DiffCase{"FourNarrowView", {{40, 40}, {40, 40}, {40, 40}, {40, 40}}, {2, 160, 160}, 16},
        // The printer's resolution: lenses of 7.2 pixels, centred on the card.
        DiffCase{"PrinterVertical", {{30, 20}, {30, 20}}, {2, 91, 61, false, 0, 0.254f, 720}, 45},
        DiffCase{
            "PrinterVerticalWhite", {{30, 20}, {32, 22}}, {3, 90, 60, false, 1, 0.254f, 720}, 60},
        DiffCase{
            "PrinterHorizontalWhite", {{30, 20}, {30, 20}}, {3, 70, 101, true, 1, 0.254f, 720}, 35},
        DiffCase{"PrinterFourHorizontal",
                 {anchored(24, 18, 3, 2), {26, 20}, anchored(25, 21, 1, 4), {24, 20}},
                 {2, 64, 80, true, 0, 0.3f, 1200},
                 50}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
