// The lens sheet over solid-colour pictures: each picture alone at its phase,
// the drift of a wrong pitch, the sheet's sampling, sizes and refusals, and
// views made again without reading the pictures.

#include "flip/flip_simulator.h"
#include "intake/common_frame.h"
#include "tests/flip/flip_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>

namespace tovrel::test {
namespace {

constexpr Rgb kColours[] = {{200, 30, 30},  {30, 160, 40},  {40, 60, 210},  {220, 200, 40},
                            {100, 20, 120}, {20, 120, 120}, {250, 130, 20}, {120, 120, 120},
                            {60, 220, 180}, {180, 90, 60},  {10, 40, 90},   {240, 170, 220}};

// The middle of each of n frames' shares: phase (k - 0.5) / n shows frame k.
std::vector<double> shareMiddles(int n) {
    std::vector<double> phases;
    for (int k = 1; k <= n; ++k) {
        phases.push_back((k - 0.5) / n);
    }
    return phases;
}

std::vector<TestPicture> solidPictures(int views, int32_t width, int32_t height,
                                       const std::vector<Rgb>& colours = {}) {
    std::vector<TestPicture> pictures;
    for (int n = 0; n < views; ++n) {
        TestPicture p{width, height};
        p.solid = colours.empty() ? kColours[n] : colours[std::size_t(n)];
        pictures.push_back(p);
    }
    return pictures;
}

struct SolidCase {
    const char* name;
    int views;
    float sharp;
    bool horizontal;
    int32_t white;
    std::vector<double> phases; // per picture; empty: the middle of its share
    int32_t printerPpi = 0;
    // The gamut of this output profile marked: each picture's colour as
    // LittleCMS's own soft proof with gamut check shows it, marked or not.
    const char* gamutOf = nullptr;
    std::vector<Rgb> colours; // empty: kColours
    std::vector<bool> marked;
};

// sRGB colour c as the press prints it, in the alarm colour outside its gamut.
Rgb softProof(Rgb c, const char* press) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE out = cmsOpenProfileFromFile(press, "r");
    cmsUInt16Number alarm[cmsMAXCHANNELS] = {0xFFFF, 0, 0xFFFF};
    cmsSetAlarmCodes(alarm);
    cmsHTRANSFORM t = cmsCreateProofingTransform(
        srgb, TYPE_RGB_8, srgb, TYPE_RGB_8, out, INTENT_RELATIVE_COLORIMETRIC,
        INTENT_RELATIVE_COLORIMETRIC,
        cmsFLAGS_SOFTPROOFING | cmsFLAGS_GAMUTCHECK | cmsFLAGS_BLACKPOINTCOMPENSATION);
    const uint8_t in[3] = {c.r, c.g, c.b};
    uint8_t proof[3] = {};
    cmsDoTransform(t, in, proof, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(out);
    cmsCloseProfile(srgb);
    return {proof[0], proof[1], proof[2]};
}

class SolidPictures : public ::testing::TestWithParam<SolidCase> {};

// Every pixel shows picture n, but for lenses cut off by the card's edge,
// which show the edge pixel there, within a band a lens wide. None is black.
TEST_P(SolidPictures, EachPhaseShowsOnePictureAlone) {
    const SolidCase& c = GetParam();
    TempDir dir;
    FlipScene scene = flipScene(dir.path(), solidPictures(c.views, 60, 40, c.colours),
                                {c.sharp, 240, 160, c.horizontal, c.white, 0.254f, c.printerPpi});
    std::vector<Rgb> colours(std::begin(kColours), std::begin(kColours) + c.views);
    PictureCache pictures(dir / "cache");
    if (c.gamutOf != nullptr) {
        // The pictures as the window holds them for a press: in its stores.
        scene.settings.colour.outputProfile = c.gamutOf;
        const Result<ColourPlan> plan = colourPlanOf(scene.settings.colour);
        ASSERT_TRUE(plan) << plan.message();
        pictures.setColour(plan.value());
        scene.settings.output = plan.value().output;
        ASSERT_TRUE(readSlotsThrough(scene.job, pictures));
        ASSERT_EQ(scene.job.PixelBytes, 4);
        for (int n = 0; n < c.views; ++n) {
            colours[std::size_t(n)] = softProof(c.colours[std::size_t(n)], c.gamutOf);
            EXPECT_EQ((colours[std::size_t(n)] == Rgb{255, 0, 255}), c.marked[std::size_t(n)]);
        }
    }
    FlipSimulator simulator = simulatorFor(scene);
    if (c.gamutOf != nullptr) {
        ASSERT_TRUE(simulator.markGamut(pictures));
    }
    const ViewSize size = simulator.viewSize(120);
    ASSERT_EQ(size, (ViewSize{120, 80}));
    // The band is a lens wide, and a little more.
    const int band = static_cast<int>(std::ceil(simulator.mapping().grid().width / 2)) + 3;
    for (int n = 1; n <= c.views; ++n) {
        const double phase =
            c.phases.empty() ? simulator.pictureCentrePhase(n) : c.phases[std::size_t(n - 1)];
        const Result<ViewImage> view = simulator.render(size, phase, 0);
        ASSERT_TRUE(view) << view.message();
        int shown = 0;
        for (int32_t v = 0; v < size.height; ++v) {
            for (int32_t u = 0; u < size.width; ++u) {
                const Rgb pixel = pixelAt(view.value(), u, v);
                if (pixel == colours[std::size_t(n - 1)]) {
                    ++shown;
                    continue;
                }
                ASSERT_NE(pixel, kBlack) << "picture " << n << " at " << u << "," << v;
                const bool edge =
                    u < band || u >= size.width - band || v < band || v >= size.height - band;
                ASSERT_TRUE(edge) << "picture " << n << " at " << u << "," << v;
            }
        }
        EXPECT_GE(shown, size.width * size.height * 85 / 100) << "picture " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolidPictures,
    ::testing::Values(SolidCase{"TwoVertical", 2, 1, false, 0, {0.25, 0.75}},
                      SolidCase{"TwoHorizontal", 2, 1, true, 0, {0.25, 0.75}},
                      SolidCase{"TwoWideStrips", 2, 4, false, 0, {0.25, 0.75}},
                      SolidCase{"TwoWhiteVertical", 2, 3, false, 1, {0.25, 0.75}},
                      SolidCase{"TwoWhiteHorizontal", 2, 3, true, 1, {0.25, 0.75}},
                      SolidCase{"TwoWideWhiteVertical", 2, 4, false, 1, {0.25, 0.75}},
                      SolidCase{"TwoWideWhiteHorizontal", 2, 4, true, 1, {0.25, 0.75}},
                      SolidCase{"ThreeWhiteVertical", 3, 2, false, 1, {}},
                      SolidCase{"FourWhiteHorizontal", 4, 3, true, 2, {}},
                      SolidCase{"FourMostlyWhiteVertical", 4, 5, false, 4, {}},
                      SolidCase{"FourMostlyWhiteHorizontal", 4, 5, true, 4, {}},
                      // Lenses of 7.2 and 9.6 printer pixels.
                      SolidCase{"PrinterTwoVertical", 2, 2, false, 0, {0.25, 0.75}, 720},
                      SolidCase{"PrinterTwoHorizontal", 2, 2, true, 0, {0.25, 0.75}, 720},
                      SolidCase{"PrinterTwoWhite", 2, 3, false, 1, {}, 720},
                      SolidCase{"PrinterThreeWhiteHorizontal", 3, 3, true, 1, {}, 960},
                      SolidCase{"TwelveVertical", 12, 1, false, 0, shareMiddles(12)},
                      SolidCase{"TwelveHorizontal", 12, 1, true, 0, shareMiddles(12)},
                      // Lenses of 12.0 printer pixels, one for each frame.
                      SolidCase{"PrinterTwelve", 12, 1, false, 0, shareMiddles(12), 1200},
                      // Pure green lies outside a press's gamut, a neutral grey inside.
                      SolidCase{"GamutMarkedForAPress",
                                2,
                                3,
                                false,
                                1,
                                {0.25, 0.75},
                                0,
                                "/usr/share/color/icc/ghostscript/default_cmyk.icc",
                                {{0, 255, 0}, {128, 128, 128}},
                                {true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureCentrePhase, MiddleOfEachPicturesVisibleShare) {
    TempDir dir;
    struct Row {
        int views;
        float sharp;
        bool horizontal;
        int32_t white;
        std::vector<double> centres;
        int32_t printerPpi = 0;
    };
    const Row rows[] = {
        {2, 1, false, 0, {0.25, 0.75}},
        {2, 3, false, 0, {0.25, 0.75}},
        // Strips of 3, the last pixel white: the middle of pixels 0 and 1.
        {2, 3, false, 1, {1.0 / 6, 4.0 / 6}},
        // Horizontal white comes first in a strip: pixels 1 and 2 show.
        {2, 3, true, 1, {2.0 / 6, 5.0 / 6}},
        {4, 2, false, 0, {0.125, 0.375, 0.625, 0.875}},
        // At a printer's resolution each picture has a third of the lens, the
        // last third of that white: the middle of the first two.
        {3, 3, true, 1, {1.0 / 9, 4.0 / 9, 7.0 / 9}, 600},
    };
    for (const Row& row : rows) {
        const FlipScene scene =
            flipScene(dir.path(), solidPictures(row.views, 20, 20),
                      {row.sharp, 100, 100, row.horizontal, row.white, 0.254f, row.printerPpi});
        const FlipSimulator simulator = simulatorFor(scene);
        for (int n = 1; n <= row.views; ++n) {
            EXPECT_NEAR(simulator.pictureCentrePhase(n), row.centres[std::size_t(n - 1)], 1e-12)
                << row.views << " pictures, sharpness " << row.sharp << ", picture " << n;
        }
    }
}

struct DriftCase {
    const char* name;
    bool horizontal;
    double pitchError;
};

class PitchErrorDrift : public ::testing::TestWithParam<DriftCase> {};

// A sheet 1 % off drifts through a whole lens every 100 lenses: across the
// view the two pictures take turns lens count x 0.01 times (to within one).
TEST_P(PitchErrorDrift, PicturesAlternateOncePerHundredLenses) {
    const DriftCase& c = GetParam();
    TempDir dir;
    const bool h = c.horizontal;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, h ? 50 : 500, h ? 500 : 50),
                                      {1, h ? 200 : 2000, h ? 2000 : 200, h});
    FlipSimulator simulator = simulatorFor(scene);
    const ViewSize size = h ? ViewSize{100, 1000} : ViewSize{1000, 100};
    const Result<ViewImage> view = simulator.render(size, 0.25, c.pitchError);
    ASSERT_TRUE(view) << view.message();
    int changes = 0;
    Rgb last = kBlack;
    const int32_t along = h ? size.height : size.width;
    for (int32_t i = 0; i < along; ++i) {
        const Rgb pixel = h ? pixelAt(view.value(), size.width / 2, i)
                            : pixelAt(view.value(), i, size.height / 2);
        if (pixel == kBlack) {
            continue;
        }
        ASSERT_TRUE(pixel == kColours[0] || pixel == kColours[1]) << i;
        changes += last != kBlack && pixel != last;
        last = pixel;
    }
    const double lenses = 2000 / ((1 + c.pitchError) * 2);
    const double cycles = lenses * std::abs(c.pitchError);
    EXPECT_NEAR(changes / 2.0, cycles, 1.0) << changes << " changes";
    EXPECT_GE(changes, 2 * static_cast<int>(cycles) - 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, PitchErrorDrift,
                         ::testing::Values(DriftCase{"OnePercentWider", false, 0.01},
                                           DriftCase{"OnePercentNarrower", false, -0.01},
                                           DriftCase{"OnePercentWiderHorizontal", true, 0.01},
                                           DriftCase{"TwoPercentWider", false, 0.02},
                                           DriftCase{"TwoPercentNarrowerHorizontal", true, -0.02}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PitchErrorDrift, NoErrorNoDrift) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, 500, 50), {1, 2000, 200});
    FlipSimulator simulator = simulatorFor(scene);
    const Result<ViewImage> view = simulator.render({1000, 100}, 0.25, 0);
    ASSERT_TRUE(view);
    for (int32_t u = 0; u < 1000; ++u) {
        const Rgb pixel = pixelAt(view.value(), u, 50);
        EXPECT_TRUE(pixel == kColours[0] || pixel == kBlack) << u;
    }
}

struct SheetCase {
    const char* name;
    LensSheet sheet;
    int32_t viewLength;
    int64_t printLength;
    double phase;
    std::vector<int64_t> samples;
};

class LensSheetSampling : public ::testing::TestWithParam<SheetCase> {};

TEST_P(LensSheetSampling, LensKShowsTheFloorOfOriginPlusKPlusPhaseLensWidths) {
    const SheetCase& c = GetParam();
    EXPECT_EQ(lensSamples(c.sheet, c.viewLength, c.printLength, c.phase), c.samples);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LensSheetSampling,
    ::testing::Values(
        // View pixels centred on 3, 9, 15, 21 lie under lenses 0 to 3 of 6.
        SheetCase{"Quarter", {{6, 0}, 0}, 4, 24, 0.25, {1, 7, 13, 19}},
        SheetCase{"ThreeQuarters", {{6, 0}, 0}, 4, 24, 0.75, {4, 10, 16, 22}},
        // Beyond the print's edge a lens shows the edge pixel.
        SheetCase{"WholeLensIsTheNextLensStart", {{6, 0}, 0}, 4, 24, 1, {6, 12, 18, 23}},
        SheetCase{"LastStepBelowOne", {{6, 0}, 0}, 4, 24, 0.999, {5, 11, 17, 23}},
        SheetCase{"ZeroIsTheLensStart", {{6, 0}, 0}, 4, 24, 0, {0, 6, 12, 18}},
        // Lenses of 4 x 1.5 = 6: the sheet's lens k starts at 6k.
        SheetCase{"HalfWider", {{4, 0}, 0.5}, 4, 24, 0.5, {3, 9, 15, 21}},
        // A grid starting at 3: lens -1 covers -3..3, lens 0 3..9.
        SheetCase{"ShiftedOrigin", {{6, 3}, 0}, 4, 24, 0.25, {4, 10, 16, 22}},
        SheetCase{"ShiftedOriginBeyondTheEdge", {{6, 3}, 0}, 4, 24, 0.75, {7, 13, 19, 23}},
        // Eight view pixels: the first lies under lens -1, whose point left
        // of the print gives the print's first pixel.
        SheetCase{
            "ShiftedOriginBeforeTheEdge", {{6, 3}, 0}, 8, 24, 0.1, {0, 3, 3, 9, 9, 15, 15, 21}},
        // Six view pixels over 12 output pixels in lenses of 2.5.
        SheetCase{"FractionalLens", {{2.5, 0}, 0}, 6, 12, 0.5, {1, 3, 6, 6, 8, 11}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LensSheetSampling, ReachableSamplesAreTheWholeLensesUnderTheView) {
    // View pixels centred on 6 and 18: lenses 1 and 3, the last cut at 23.
    std::vector<int64_t> expected{6, 7, 8, 9, 10, 11, 12, 18, 19, 20, 21, 22, 23};
    EXPECT_EQ(reachableSamples({{6, 0}, 0}, 2, 24), expected);
    // Neighbouring lenses share their boundary pixel once.
    EXPECT_EQ(reachableSamples({{6, 0}, 0}, 2, 12),
              (std::vector<int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(Sweep, TiltsToAndFroThroughEveryPhase) {
    const double expected[] = {0.125, 0.375, 0.625, 0.875, 0.625, 0.375, 0.125, 0.375};
    for (int frame = 0; frame < 8; ++frame) {
        EXPECT_DOUBLE_EQ(sweepPhase(frame, 4), expected[frame]) << frame;
    }
    EXPECT_EQ(sweepFrames(4), 6);
    EXPECT_EQ(sweepFrames(16), 30);
    EXPECT_EQ(sweepFrames(1), 1);
    EXPECT_DOUBLE_EQ(sweepPhase(5, 1), 0.5);
}

TEST(PrintLensGrid, TheRunsOwnLensesFromTheRunsOrigin) {
    TempDir dir;
    struct Row {
        float sharp;
        bool horizontal;
        int32_t printerPpi;
        PrintLensGrid grid;
    };
    const Row rows[] = {
        {3, false, 0, {6, 0}},
        {3, true, 0, {6, 0}},
        {2, false, 0, {4, 0}},
        // R x Pitch / 25.4, from the middle of the lens axis.
        {3, false, 720, {720 * double{0.254f} / 25.4, 120}},
        {3, true, 600, {600 * double{0.254f} / 25.4, 80}},
    };
    for (const Row& row : rows) {
        const FlipScene scene =
            flipScene(dir.path(), solidPictures(2, 60, 40),
                      {row.sharp, 240, 160, row.horizontal, 0, 0.254f, row.printerPpi});
        const FlipSimulator simulator = simulatorFor(scene);
        EXPECT_DOUBLE_EQ(simulator.mapping().grid().width, row.grid.width) << row.printerPpi;
        EXPECT_DOUBLE_EQ(simulator.mapping().grid().origin, row.grid.origin) << row.printerPpi;
    }
}

TEST(ViewSizes, KeepThePrintsProportions) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, 60, 40), {2, 240, 160});
    const FlipSimulator simulator = simulatorFor(scene);
    EXPECT_EQ(simulator.viewSize(120), (ViewSize{120, 80}));
    EXPECT_EQ(simulator.viewSize(1), (ViewSize{1, 1}));
    EXPECT_EQ(simulator.fitView(1000, 50), (ViewSize{75, 50}));
    EXPECT_EQ(simulator.fitView(100, 1000), (ViewSize{100, 67}));
    EXPECT_EQ(simulator.job().tifW, 240);
    EXPECT_EQ(simulator.job().tifH, 160);
}

struct RefusedScene {
    const char* name;
    std::function<void(FlipScene&)> spoil;
    const char* says;
};

class RefusedInputs : public ::testing::TestWithParam<RefusedScene> {};

TEST_P(RefusedInputs, WithTheRunsOwnMessage) {
    TempDir dir;
    FlipScene scene = flipScene(dir.path(), solidPictures(2, 60, 40), {2, 240, 160});
    GetParam().spoil(scene);
    const Result<FlipSimulator> refused = FlipSimulator::prepare(scene.job, scene.settings);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find(GetParam().says), std::string::npos) << refused.message();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedInputs,
    ::testing::Values(
        RefusedScene{"OnePicture",
                     [](FlipScene& s) {
                         s.job.ViewCount = 1;
                         s.job.Views = 1;
                     },
                     "请选择 2 到 4 张图片。"},
        RefusedScene{"NoPitch", [](FlipScene& s) { s.job.Pitch = 0; }, "栅距必须大于 0。"},
        RefusedScene{"NoWidth", [](FlipScene& s) { s.settings.widthCm = 0; }, "打印尺寸太小"},
        RefusedScene{"NoFrame", [](FlipScene& s) { s.job.BaseW = 0; }, "没有公共画面"},
        RefusedScene{"WhiteWiderThanTheStrip",
                     [](FlipScene& s) {
                         s.settings.whiteGaps = true;
                         s.settings.whiteWidth = 3;
                     },
                     "留白宽度必须在 0 到 2 像素之间。"},
        RefusedScene{"SharpnessNotWhole", [](FlipScene& s) { s.job.Sharp = 2.5f; },
                     "清晰倍数必须是整数。"},
        // 2 x 25.4 / 0.254 = 200: lenses of 1.5 pixels at 150 ppi.
        RefusedScene{"PrinterLensNarrowerThanThePictures",
                     [](FlipScene& s) { s.settings.printerPpi = 150; }, "至少要 200 像素/英寸"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ViewSizes, RefusedBeyondTheirLimits) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, 60, 40), {2, 240, 160});
    FlipSimulator simulator = simulatorFor(scene);
    for (const ViewSize size : {ViewSize{0, 10}, ViewSize{10, 0}, ViewSize{-5, 10}}) {
        const Result<ViewImage> view = simulator.render(size, 0.5, 0);
        ASSERT_FALSE(view);
        EXPECT_NE(view.message().find("预览图太小"), std::string::npos);
    }
    for (const ViewSize size : {ViewSize{8193, 10}, ViewSize{10, 8193}, ViewSize{8000, 8000}}) {
        const Result<ViewImage> view = simulator.render(size, 0.5, 0);
        ASSERT_FALSE(view);
        EXPECT_NE(view.message().find("预览图太大"), std::string::npos);
    }
    EXPECT_TRUE(simulator.render({8192, 10}, 0.5, 0));
}

// What a view read stays: other phases of the same size need no picture,
// a new size reads them again and says when they are gone.
TEST(ViewCache, OtherPhasesAreMadeWithoutThePictures) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, 60, 40), {2, 240, 160});
    FlipSimulator simulator = simulatorFor(scene);
    ASSERT_TRUE(simulator.render({120, 80}, 0.25, 0));
    std::filesystem::remove(scene.job.InPath(1));
    std::filesystem::remove(scene.job.InPath(2));
    for (const double phase : {0.75, 0.0, 0.5, 1.0}) {
        const Result<ViewImage> view = simulator.render({120, 80}, phase, 0);
        ASSERT_TRUE(view) << view.message();
        EXPECT_EQ(pixelAt(view.value(), 60, 40), kColours[phase >= 0.5 && phase < 1 ? 1 : 0]);
    }
    const Result<ViewImage> resized = simulator.render({60, 40}, 0.75, 0);
    ASSERT_FALSE(resized);
    EXPECT_NE(resized.message().find("无法打开第 1 张图片"), std::string::npos)
        << resized.message();
    EXPECT_NE(resized.message().find(scene.job.InPath(1)), std::string::npos);
}

TEST(ViewCache, SameInputsAreRecognised) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), solidPictures(2, 60, 40), {2, 240, 160});
    FlipScene other = scene;
    EXPECT_TRUE(sameFlipInputs(scene.job, scene.settings, other.job, other.settings));
    other.job.OutPath = "elsewhere.tif";
    other.job.tifW = 7; // a run's results are no input
    EXPECT_TRUE(sameFlipInputs(scene.job, scene.settings, other.job, other.settings));
    const std::function<void(FlipScene&)> changes[] = {
        [](FlipScene& s) { s.job.Pitch = 0.3f; },
        [](FlipScene& s) { s.job.Sharp = 3; },
        [](FlipScene& s) { s.job.FramePos(2) += 3; },
        [](FlipScene& s) { s.job.InPath(1) += "x"; },
        [](FlipScene& s) { s.settings.horizontal = true; },
        [](FlipScene& s) { s.settings.whiteGaps = true; },
        [](FlipScene& s) { s.settings.heightCm += 1; },
        [](FlipScene& s) { s.settings.printerPpi = 720; },
    };
    for (const auto& change : changes) {
        FlipScene changed = scene;
        change(changed);
        EXPECT_FALSE(sameFlipInputs(scene.job, scene.settings, changed.job, changed.settings));
    }
}

} // namespace
} // namespace tovrel::test
