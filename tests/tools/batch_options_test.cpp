// The batch tool's command line: what it takes and what it refuses.

#include "common/leading_number.h"
#include "tools/batch_options.h"

#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

using Args = std::vector<std::string>;

TEST(BatchOptions, TakesEveryOption) {
    const Result<BatchOptions> parsed = parseBatchOptions({"--pitch",
                                                           "0.508",
                                                           "--sharpness=3",
                                                           "a.bmp",
                                                           "--width",
                                                           "20",
                                                           "--height=15",
                                                           "b.bmp",
                                                           "--anchor",
                                                           "2:10,-20.5",
                                                           "--anchor=1:0,3e1",
                                                           "--horizontal",
                                                           "--white-gap",
                                                           "2",
                                                           "-o",
                                                           "out.tif",
                                                           "--data-file",
                                                           "d/kvxj.dll",
                                                           "c.bmp",
                                                           "--printer-ppi",
                                                           "1440",
                                                           "--sheet",
                                                           "32x45",
                                                           "--copies=3x2",
                                                           "--gutter",
                                                           "5",
                                                           "--marks",
                                                           "--layout-out",
                                                           "l.json",
                                                           "--cut-out",
                                                           "c.svg",
                                                           "--broken-profile-as-srgb"});
    ASSERT_TRUE(parsed) << parsed.message();
    const BatchOptions& o = parsed.value();
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.pictures, (Args{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(o.pitch, "0.508");
    EXPECT_EQ(o.sharpness, "3");
    EXPECT_EQ(o.width, "20");
    EXPECT_EQ(o.height, "15");
    ASSERT_TRUE(o.anchors[0] && o.anchors[1]);
    EXPECT_EQ(o.anchors[0]->x, "0");
    EXPECT_EQ(o.anchors[0]->y, "3e1");
    EXPECT_EQ(o.anchors[1]->x, "10");
    EXPECT_EQ(o.anchors[1]->y, "-20.5");
    EXPECT_FALSE(o.anchors[2] || o.anchors[3]);
    EXPECT_TRUE(o.horizontal);
    EXPECT_EQ(o.whiteGap, 2);
    EXPECT_TRUE(o.brokenProfileAsSrgb);
    EXPECT_EQ(o.output, "out.tif");
    EXPECT_EQ(o.dataFile, "d/kvxj.dll");
    EXPECT_EQ(o.printerPpi, "1440");
    EXPECT_TRUE(o.press.sheet && o.press.marks);
    EXPECT_EQ(o.press.paperWidthMm, 320);
    EXPECT_EQ(o.press.paperHeightMm, 450);
    EXPECT_EQ(o.press.rows, 3);
    EXPECT_EQ(o.press.columns, 2);
    EXPECT_EQ(o.press.gutterMm, 5);
    EXPECT_EQ(o.press.bleedMm, 3); // a sheet's own default
    EXPECT_EQ(o.press.layoutOut, "l.json");
    EXPECT_EQ(o.press.cutOut, "c.svg");
}

TEST(BatchOptions, TakesThePitchTestsOptions) {
    const Result<BatchOptions> parsed =
        parseBatchOptions({"--pitch-test", "--pitch", "0.3", "--range=0.01", "--step", "0.001",
                           "--resolution", "600", "--width", "15", "--band-height", "7",
                           "--horizontal", "--paper", "letter", "-o", "c.tif"});
    ASSERT_TRUE(parsed) << parsed.message();
    const BatchOptions& o = parsed.value();
    EXPECT_TRUE(o.pitchTest);
    EXPECT_TRUE(o.pictures.empty());
    EXPECT_EQ(o.pitch, "0.3");
    EXPECT_EQ(o.range, "0.01");
    EXPECT_EQ(o.step, "0.001");
    EXPECT_EQ(o.resolution, "600");
    EXPECT_EQ(o.width, "15");
    EXPECT_EQ(o.bandHeight, "7");
    EXPECT_TRUE(o.horizontal);
    EXPECT_EQ(o.paper, Paper::Letter);
    EXPECT_EQ(o.output, "c.tif");
}

TEST(BatchOptions, DefaultsLeaveTheWindowsChoices) {
    const Result<BatchOptions> parsed =
        parseBatchOptions({"--pitch", "3", "--sharpness", "20", "a.bmp", "b.bmp"});
    ASSERT_TRUE(parsed) << parsed.message();
    const BatchOptions& o = parsed.value();
    EXPECT_FALSE(o.width || o.height || o.output || o.dataFile || o.printerPpi);
    EXPECT_FALSE(o.horizontal);
    EXPECT_EQ(o.whiteGap, 0);
    for (const auto& anchor : o.anchors) {
        EXPECT_FALSE(anchor);
    }
}

TEST(BatchOptions, DoubleDashEndsTheOptions) {
    const Result<BatchOptions> parsed =
        parseBatchOptions({"--pitch", "1", "--sharpness", "2", "--", "-a.bmp", "--b.bmp"});
    ASSERT_TRUE(parsed) << parsed.message();
    EXPECT_EQ(parsed.value().pictures, (Args{"-a.bmp", "--b.bmp"}));
}

TEST(BatchOptions, HelpWinsOverEverythingElse) {
    const Result<BatchOptions> parsed = parseBatchOptions({"--pitch", "9", "--help", "--bogus"});
    ASSERT_TRUE(parsed) << parsed.message();
    EXPECT_TRUE(parsed.value().help);
}

TEST(BatchOptions, WhiteGapUpToTheSharpnessLessOne) {
    // Sharpness 3 offers 1/3 and 2/3.
    const Result<BatchOptions> parsed = parseBatchOptions(
        {"--pitch", "1", "--sharpness", "3", "--white-gap", "2", "a.bmp", "b.bmp"});
    ASSERT_TRUE(parsed) << parsed.message();
    EXPECT_EQ(parsed.value().whiteGap, 2);
}

TEST(BatchOptions, TakesTheFlipPreviewsOptions) {
    const Result<BatchOptions> parsed = parseBatchOptions(
        {"--pitch", "1", "--sharpness", "3", "--simulate", "0.25", "--simulate-width=800",
         "--pitch-error", "-1.5", "--simulate-out", "v.png", "a.bmp", "b.bmp"});
    ASSERT_TRUE(parsed) << parsed.message();
    const BatchOptions& o = parsed.value();
    EXPECT_EQ(o.simulate, 0.25);
    EXPECT_EQ(o.simulateWidth, 800);
    EXPECT_EQ(o.pitchError, -1.5);
    EXPECT_EQ(o.simulateOut, "v.png");
    // The extension picks the format, in either case.
    EXPECT_EQ(simulationFormat("v.png"), SimulationFormat::Png);
    EXPECT_EQ(simulationFormat("dir.gif/Sweep.GIF"), SimulationFormat::Gif);
    EXPECT_EQ(simulationFormat("v.png.jpg"), std::nullopt);
    const Result<BatchOptions> plain =
        parseBatchOptions({"--pitch", "1", "--sharpness", "3", "a.bmp", "b.bmp"});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain.value().simulate || plain.value().pitchError || plain.value().simulateOut);
}

struct Refusal {
    const char* name;
    Args args;
    const char* says;
};

class BatchOptionRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(BatchOptionRefusal, SaysWhatIsWrong) {
    const Result<BatchOptions> parsed = parseBatchOptions(GetParam().args);
    ASSERT_FALSE(parsed);
    EXPECT_NE(parsed.message().find(GetParam().says), std::string::npos) << parsed.message();
}

const Args kTwo{"a.bmp", "b.bmp"};

Args with(Args options, const Args& pictures = kTwo) {
    options.insert(options.end(), pictures.begin(), pictures.end());
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchOptionRefusal,
    ::testing::Values(
        Refusal{"NoPitch", with({"--sharpness", "3"}), "--pitch：必须给出栅距"},
        Refusal{"NoSharpness", with({"--pitch", "1"}), "--sharpness：必须给出清晰倍数"},
        Refusal{"OnePicture", with({"--pitch", "1", "--sharpness", "3"}, {"a.bmp"}),
                "需要 2 到 64 张图片，给出了 1 张"},
        Refusal{"SixtyFivePictures", with({"--pitch", "1", "--sharpness", "3"}, Args(65, "a.bmp")),
                "给出了 65 张"},
        Refusal{"FramesFromAndPictures",
                with({"--pitch", "1", "--sharpness", "3", "--frames-from", "d"}),
                "--frames-from：不能再另外给出图片"},
        Refusal{"KeyFrameBeyondThePictures",
                with({"--pitch", "1", "--sharpness", "3", "--key-frame", "3"}), "没有第 3 张图片"},
        Refusal{"KeyFrameZero", with({"--pitch", "1", "--sharpness", "3", "--key-frame", "0"}),
                "不是 1 到 64 的帧序号"},
        Refusal{"ParallaxWithUnit", with({"--pitch", "1", "--sharpness", "3", "--parallax", "2px"}),
                "“2px”不是数字"},
        Refusal{"PitchZero", with({"--pitch", "0", "--sharpness", "3"}), "栅距必须大于 0"},
        Refusal{"PitchAboveThree", with({"--pitch", "3.01", "--sharpness", "3"}), "不超过 3 毫米"},
        Refusal{"PitchNegative", with({"--pitch", "-1", "--sharpness", "3"}), "栅距必须大于 0"},
        Refusal{"PitchWithUnit", with({"--pitch", "0.5mm", "--sharpness", "3"}), "“0.5mm”不是数字"},
        Refusal{"PitchHex", with({"--pitch", "&H1", "--sharpness", "3"}), "不是数字"},
        Refusal{"SharpnessBelowOne", with({"--pitch", "1", "--sharpness", "0.9"}), "1 到 20 之间"},
        Refusal{"SharpnessAboveTwenty", with({"--pitch", "1", "--sharpness", "21"}),
                "1 到 20 之间"},
        Refusal{"SharpnessNotWhole", with({"--pitch", "1", "--sharpness", "2.5"}),
                "--sharpness：清晰倍数必须是 1 到 20 之间的整数"},
        Refusal{"SharpnessLabel", with({"--pitch", "1", "--sharpness", "3 倍清晰"}), "不是数字"},
        Refusal{"BleedAboveRange", with({"--pitch", "1", "--sharpness", "3", "--bleed", "20.5"}),
                "--bleed：出血须在 0 到 20 毫米之间"},
        Refusal{"GutterNegative",
                with({"--pitch", "1", "--sharpness", "3", "--sheet", "A4", "--gutter", "-1"}),
                "--gutter：间距须在 0 到 20 毫米之间"},
        Refusal{"UnknownSheet", with({"--pitch", "1", "--sharpness", "3", "--sheet", "B5"}),
                "纸张须是 A4、A3、SRA3"},
        Refusal{"CopiesNotWhole",
                with({"--pitch", "1", "--sharpness", "3", "--sheet", "A4", "--copies", "2x1.5"}),
                "份数须是 auto 或 行x列"},
        Refusal{"MarksWithoutSheet", with({"--pitch", "1", "--sharpness", "3", "--marks"}),
                "--marks：只能和 --sheet 一起用"},
        Refusal{"WidthAboveCap", with({"--pitch", "1", "--sharpness", "3", "--width", "300.5"}),
                "不超过 300 厘米"},
        Refusal{"WidthZero", with({"--pitch", "1", "--sharpness", "3", "--width", "0"}),
                "打印宽度必须大于 0"},
        Refusal{"HeightNegative", with({"--pitch", "1", "--sharpness", "3", "--height", "-2"}),
                "打印高度必须大于 0"},
        Refusal{"WhiteGapWithSharpnessOne",
                with({"--pitch", "1", "--sharpness", "1", "--white-gap", "1"}),
                "留白宽度最多为 0 像素"},
        Refusal{"WhiteGapAsWideAsTheStrip",
                with({"--pitch", "1", "--sharpness", "4", "--white-gap", "4"}),
                "留白宽度最多为 3 像素"},
        Refusal{"WhiteGapNotWhole",
                with({"--pitch", "1", "--sharpness", "4", "--white-gap", "1.5"}),
                "不是 0 或正整数"},
        Refusal{"PrinterPpiBelowRange",
                with({"--pitch", "1", "--sharpness", "3", "--printer-ppi", "71"}),
                "72 到 4800 之间的整数"},
        Refusal{"PrinterPpiAboveRange",
                with({"--pitch", "1", "--sharpness", "3", "--printer-ppi", "4801"}),
                "72 到 4800 之间的整数"},
        Refusal{"PrinterPpiNotWhole",
                with({"--pitch", "1", "--sharpness", "3", "--printer-ppi", "600.5"}),
                "--printer-ppi：打印机分辨率"},
        Refusal{"PrinterPpiWithUnit",
                with({"--pitch", "1", "--sharpness", "3", "--printer-ppi", "600dpi"}),
                "--printer-ppi：打印机分辨率"},
        Refusal{"AnchorForAMissingPicture",
                with({"--pitch", "1", "--sharpness", "3", "--anchor", "3:1,1"}), "没有第 3 张图片"},
        Refusal{"AnchorSlotFive", with({"--pitch", "1", "--sharpness", "3", "--anchor", "5:1,1"}),
                "没有第 5 张图片"},
        Refusal{"AnchorFrame65", with({"--pitch", "1", "--sharpness", "3", "--anchor", "65:1,1"}),
                "K:X,Y"},
        Refusal{"AnchorWithoutComma",
                with({"--pitch", "1", "--sharpness", "3", "--anchor", "1:10"}), "K:X,Y"},
        Refusal{"AnchorNotANumber", with({"--pitch", "1", "--sharpness", "3", "--anchor", "1:x,2"}),
                "“x”不是数字"},
        Refusal{
            "AnchorTwice",
            with({"--pitch", "1", "--sharpness", "3", "--anchor", "1:1,1", "--anchor", "1:2,2"}),
            "第 1 张图片的定位点给了不止一次"},
        Refusal{"PitchTwice", with({"--pitch", "1", "--pitch", "2", "--sharpness", "3"}),
                "--pitch：给了不止一次"},
        Refusal{"OutputTwice",
                with({"--pitch", "1", "--sharpness", "3", "-o", "x.tif", "--output", "y.tif"}),
                "--output：给了不止一次"},
        Refusal{"MissingValue", Args{"a.bmp", "b.bmp", "--sharpness", "3", "--pitch"},
                "--pitch：缺少取值"},
        Refusal{"EmptyValue", with({"--pitch", "1", "--sharpness", "3", "--output="}),
                "--output：取值不能为空"},
        Refusal{"FlagWithValue", with({"--pitch", "1", "--sharpness", "3", "--horizontal=yes"}),
                "不带取值"},
        Refusal{"UnknownOption", with({"--pitch", "1", "--sharpness", "3", "--vertical"}),
                "未知的选项：--vertical"},
        Refusal{"SimulateWithoutWidth",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-out",
                      "v.png"}),
                "使用 --simulate 时必须给出预览图的宽度"},
        Refusal{"SimulateWithoutFile",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-width",
                      "80"}),
                "必须给出预览图（PNG 或 GIF）的文件名"},
        Refusal{"SimulateIntoAJpeg",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-width",
                      "80", "--simulate-out", "s.jpg"}),
                "--simulate-out：“s.jpg”：文件名须以 .png（一个视角）或 .gif（循环动画）结尾"},
        Refusal{"SimulateWithoutExtension",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-width",
                      "80", "--simulate-out", "gif"}),
                "文件名须以 .png"},
        // Phase 1 is the next lens's phase 0.
        Refusal{"PhaseOne", with({"--pitch", "1", "--sharpness", "3", "--simulate", "1"}),
                "--simulate：视角必须不小于 0 且小于 1"},
        Refusal{"PhaseAboveOne", with({"--pitch", "1", "--sharpness", "3", "--simulate", "1.01"}),
                "视角必须不小于 0 且小于 1"},
        Refusal{"PhaseNegative", with({"--pitch", "1", "--sharpness", "3", "--simulate", "-0.1"}),
                "视角必须不小于 0 且小于 1"},
        Refusal{"PhaseNotANumber", with({"--pitch", "1", "--sharpness", "3", "--simulate", "half"}),
                "“half”不是数字"},
        Refusal{"ViewWidthZero",
                with({"--pitch", "1", "--sharpness", "3", "--simulate-width", "0"}),
                "不是 1 到 8192 之间的整数"},
        Refusal{"ViewWidthTooLarge",
                with({"--pitch", "1", "--sharpness", "3", "--simulate-width", "8193"}),
                "不是 1 到 8192 之间的整数"},
        Refusal{"ViewWidthNotWhole",
                with({"--pitch", "1", "--sharpness", "3", "--simulate-width", "80.5"}),
                "不是 1 到 8192 之间的整数"},
        Refusal{"PitchErrorBeyondTwoPercent",
                with({"--pitch", "1", "--sharpness", "3", "--pitch-error", "2.01"}),
                "栅距误差必须在 -2 到 2"},
        Refusal{"ViewWidthWithoutSimulate",
                with({"--pitch", "1", "--sharpness", "3", "--simulate-width", "80"}),
                "只与 --simulate 一起使用"},
        Refusal{"PitchErrorWithoutSimulate",
                with({"--pitch", "1", "--sharpness", "3", "--pitch-error", "0"}),
                "只与 --simulate 一起使用"},
        Refusal{
            "SimulateTwice",
            with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.2", "--simulate", "0.3"}),
            "--simulate：给了不止一次"},
        Refusal{"ChartWithPictures", with({"--pitch-test", "--pitch", "1", "-o", "c.tif"}),
                "--pitch-test：测试图不用图片：“a.bmp”"},
        Refusal{"ChartWithSharpness",
                Args{"--pitch-test", "--pitch", "1", "--sharpness", "3", "-o", "c.tif"},
                "--sharpness：不能和 --pitch-test 一起用"},
        Refusal{"ChartWithAnchor",
                Args{"--pitch-test", "--pitch", "1", "--anchor", "1:1,1", "-o", "c.tif"},
                "--anchor：不能和 --pitch-test 一起用"},
        Refusal{"ChartWithoutPitch", Args{"--pitch-test", "-o", "c.tif"}, "--pitch：必须给出栅距"},
        Refusal{"ChartWithoutFile", Args{"--pitch-test", "--pitch", "1"}, "--output：必须用 -o"},
        Refusal{"ReadPitchWithFile",
                Args{"--read-pitch", "p.jpg", "--pitch", "0.254", "-o", "c.tif"},
                "--read-pitch：读取栅距不写文件，不能和 -o 一起用"},
        Refusal{"ReadPitchWithSharpness",
                Args{"--read-pitch", "p.jpg", "--pitch", "0.254", "--sharpness", "3"},
                "--sharpness：不能和 --read-pitch 一起用"},
        Refusal{"ReadPitchWithoutPitch", Args{"--read-pitch", "p.jpg"}, "--pitch：必须给出栅距"},
        Refusal{"HeightAboveCap", with({"--pitch", "1", "--sharpness", "3", "--height", "300.5"}),
                "--height：打印高度必须大于 0 且不超过 300 厘米"},
        Refusal{"WidthInfinite", with({"--pitch", "1", "--sharpness", "3", "--width", "1e999"}),
                "--width：“1e999”超出了数的范围"},
        Refusal{"HeightInfinite", with({"--pitch", "1", "--sharpness", "3", "--height", "1e999"}),
                "--height：“1e999”超出了数的范围"},
        Refusal{"PitchErrorInfinite",
                with({"--pitch", "1", "--sharpness", "3", "--pitch-error", "-1e400"}),
                "--pitch-error：“-1e400”超出了数的范围"},
        Refusal{"ChartStepInfinite",
                Args{"--pitch-test", "--pitch", "0.254", "--step", "1e999", "-o", "c.tif"},
                "--step：“1e999”超出了数的范围"},
        Refusal{"ChartRangeInfinite",
                Args{"--pitch-test", "--pitch", "0.254", "--range", "1E999", "-o", "c.tif"},
                "--range：“1E999”超出了数的范围"},
        Refusal{"SimulateWithOutput",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-width",
                      "80", "--simulate-out", "v.png", "-o", "x.tif"}),
                "--output：使用 --simulate 时不写 TIFF 文件"},
        Refusal{"SimulateWithBigTiff",
                with({"--pitch", "1", "--sharpness", "3", "--simulate", "0.5", "--simulate-width",
                      "80", "--simulate-out", "v.png", "--bigtiff"}),
                "--bigtiff：使用 --simulate 时不写 TIFF 文件"},
        Refusal{"UnknownPaper", Args{"--pitch-test", "--pitch", "1", "--paper", "B5", "-o", "c"},
                "--paper：“B5”不是 A4、A3 或 Letter"},
        Refusal{"PaperWithoutChart", with({"--pitch", "1", "--sharpness", "3", "--paper", "A3"}),
                "--paper：只能和 --pitch-test 一起用"},
        Refusal{"StepWithoutChart", with({"--pitch", "1", "--sharpness", "3", "--step", "0.01"}),
                "--step：只能和 --pitch-test 一起用"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NumberText {
    const char* text;
    bool plain;
};

class PlainNumber : public ::testing::TestWithParam<NumberText> {};

TEST_P(PlainNumber, OnlyWholeDecimalTexts) {
    EXPECT_EQ(isPlainNumber(GetParam().text), GetParam().plain) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainNumber,
    ::testing::Values(NumberText{"0", true}, NumberText{"-12", true}, NumberText{"+0.5", true},
                      NumberText{".5", true}, NumberText{"5.", true}, NumberText{"1e3", true},
                      NumberText{"2.5E-2", true}, NumberText{"", false}, NumberText{".", false},
                      NumberText{"-", false}, NumberText{"1e", false}, NumberText{"1e+", false},
                      NumberText{" 1", false}, NumberText{"1 ", false}, NumberText{"1.2.3", false},
                      NumberText{"1D3", false}, NumberText{"0x10", false}, NumberText{"inf", false},
                      NumberText{"nan", false}, NumberText{"０．５", true},
                      NumberText{"－１２", true}, NumberText{"＋0。5", true},
                      NumberText{"１ｅ３", false}, NumberText{"１，５", false},
                      NumberText{"0,4233333", true}, NumberText{"12,5e1", true},
                      NumberText{",5", false}, NumberText{"5,", false},
                      NumberText{"1,2,3", false}));

} // namespace
} // namespace tovrel::test
