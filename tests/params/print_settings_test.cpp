// The print settings read from the controls' texts: the printer resolution
// box's range, what a run reads, when a run may be confirmed and the
// resolution the window shows.

#include "params/print_settings.h"

#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

struct PpiText {
    const char* text;
    PpiEntry entry;
    int32_t ppi; // what a run reads with the printer resolution on; -1: refused
};

class PrinterPpiBox : public ::testing::TestWithParam<PpiText> {};

TEST_P(PrinterPpiBox, TakesWholeResolutionsFrom72To4800) {
    const PpiText& c = GetParam();
    EXPECT_EQ(printerPpiEntry(c.text), c.entry);
    SettingsTexts texts;
    texts.printerRes = true;
    texts.printerPpi = c.text;
    EXPECT_EQ(runSettingsOf(texts).printerPpi, c.ppi);
    texts.pitch = "0.254";
    texts.sharpness = "3 倍清晰";
    EXPECT_EQ(confirmSettings(texts, 2).valid, c.ppi > 0);
    texts.printerRes = false;
    EXPECT_EQ(runSettingsOf(texts).printerPpi, 0);
    EXPECT_TRUE(confirmSettings(texts, 2).valid);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PrinterPpiBox,
    ::testing::Values(PpiText{"720", PpiEntry::Taken, 720}, PpiText{"72", PpiEntry::Taken, 72},
                      PpiText{"4800", PpiEntry::Taken, 4800},
                      PpiText{"1200 dpi", PpiEntry::Taken, 1200},
                      PpiText{"7", PpiEntry::Growing, -1}, PpiText{"60", PpiEntry::Growing, -1},
                      PpiText{"", PpiEntry::Growing, -1}, PpiText{"71", PpiEntry::Growing, -1},
                      PpiText{"4801", PpiEntry::Refused, -1}, PpiText{"0", PpiEntry::Refused, -1},
                      PpiText{"06", PpiEntry::Refused, -1}, PpiText{"600.5", PpiEntry::Refused, -1},
                      PpiText{"DPI", PpiEntry::Refused, -1}, PpiText{"abc", PpiEntry::Refused, -1},
                      PpiText{"-720", PpiEntry::Refused, -1}));

TEST(RunSettingsOf, ReadsTheControlsByTheLeadingNumberRule) {
    SettingsTexts texts;
    texts.width = "20.5cm";
    texts.height = " 15";
    texts.whiteGaps = true;
    texts.whiteGapItem = "2/4";
    texts.horizontal = true;
    const RunSettings s = runSettingsOf(texts);
    EXPECT_EQ(s.widthCm, 20.5);
    EXPECT_EQ(s.heightCm, 15);
    EXPECT_TRUE(s.whiteGaps);
    EXPECT_EQ(s.whiteWidth, 2);
    EXPECT_TRUE(s.horizontal);
    texts.whiteGapItem.reset();
    EXPECT_EQ(runSettingsOf(texts).whiteWidth, 0);
}

struct Shown {
    const char* name;
    double pitch;
    double sharpness;
    uint8_t views;
    bool printerRes;
    const char* ppi;
    const char* label; // "" where the label keeps its text
};

class ShownResolution : public ::testing::TestWithParam<Shown> {};

TEST_P(ShownResolution, IsThePrintersWhenPrintingAtIt) {
    const Shown& c = GetParam();
    SettingsTexts texts;
    texts.printerRes = c.printerRes;
    texts.printerPpi = c.ppi;
    const auto shown = shownResolution(printResolution(c.pitch, c.sharpness, c.views), texts);
    EXPECT_EQ(shown.value_or(""), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShownResolution,
    ::testing::Values(Shown{"Lens", 0.3, 2, 4, false, "720", "677.333 像素/英寸"},
                      Shown{"Printer", 0.3, 2, 4, true, "720", "720 像素/英寸"},
                      Shown{"PrinterWithoutPitch", 0, 2, 4, true, "1440", "1440 像素/英寸"},
                      Shown{"PrinterRefused", 0.508, 3, 2, true, "分辨率", "300 像素/英寸"},
                      Shown{"NothingYet", 0, 3, 2, true, "", ""},
                      Shown{"OnePicture", 0.508, 3, 1, false, "720", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrintSizeProblem, NamesASizeThatIsNotANumber) {
    const struct {
        const char* width;
        const char* height;
        const char* problem; // "" when both may be confirmed
    } cases[] = {
        {"20", "15", ""},
        {"0", "15", ""}, // a number: too small is the run's to say
        {"20cm", " 1.5", ""},
        {"abc", "15", "打印宽度“abc”不是数字：请填写以厘米为单位的打印宽度。"},
        {"20", "x5", "打印高度“x5”不是数字：请填写以厘米为单位的打印高度。"},
        {"宽cm", "高cm", "请填写以厘米为单位的打印宽度。"},
        {"20", "", "请填写以厘米为单位的打印高度。"},
    };
    for (const auto& c : cases) {
        SettingsTexts texts;
        texts.width = c.width;
        texts.height = c.height;
        EXPECT_EQ(printSizeProblem(texts).value_or(""), c.problem) << c.width << " " << c.height;
    }
}

} // namespace
} // namespace tovrel::test
