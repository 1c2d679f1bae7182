// The batch tool and the window give the same file, byte for byte, for the
// same pictures and settings.

#include "app/main_window.h"
#include "tests/app/data_file.h"
#include "tests/app/window_fixture.h"
#include "tests/render/picture_fixture.h"
#include "tests/render/window_run.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/window_and_batch.h"

#include "colour/colour_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

struct SameRun {
    const char* name;
    std::vector<TestPicture> pictures;
    WindowSettings window;
    std::vector<std::string> batch; // options besides pictures, output and data file
    int32_t tifW = 0;               // the output's width in pixels, where checked
};

class BatchAndWindow : public WindowTest, public ::testing::WithParamInterface<SameRun> {
  protected:
    TempDir work;
};

TEST_P(BatchAndWindow, WriteTheSameFile) {
    const SameRun& c = GetParam();
    writeDataFile(dataDir.path(), {0.254f});
    open();
    choosePictures(window->job, work.path(), c.pictures);
    WindowSettings settings = c.window;
    settings.output = QString::fromStdString((work / "window.tif").string());
    enterSettings(*window, settings);
    confirmAndRun(*window);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_EQ(window->Command1->text(), "确定");
    if (!settings.typedWidth.isEmpty()) {
        EXPECT_EQ(window->CombK->currentText(), settings.typedWidth);
    }
    if (c.tifW != 0) {
        EXPECT_EQ(window->job.tifW, c.tifW);
    }

    std::vector<fs::path> pictures;
    for (int n = 1; n <= static_cast<int>(c.pictures.size()); ++n) {
        pictures.push_back(work / ("pic" + std::to_string(n) + ".bmp"));
    }
    const TempDir batchData;
    const BatchOutcome batch =
        runBatchAlongside(c.batch, work / "batch.tif", pictures, batchData.path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;

    const std::vector<unsigned char> fromWindow = readFile(work / "window.tif");
    EXPECT_EQ(readFile(work / "batch.tif"), fromWindow);
    EXPECT_TRUE(readsAsTiff(work / "window.tif", static_cast<uint32_t>(window->job.tifW),
                            static_cast<uint32_t>(window->job.tifH), window->job.fbl));
    // Both recorded the same new pitch.
    EXPECT_EQ(readFile(batchData / "kvxj.dll"), readFile(dataDir / "kvxj.dll"));
}

const std::vector<TestPicture> kTwo{{16, 12}, {18, 13}};

// The colour dialog, opened from "更多…", given a press profile: the
// pictures are decoded anew and the run is the batch tool's CMYK file, the
// status line naming the profile.
TEST_F(BatchAndWindow, ColourDialogGivesTheBatchToolsCmykFile) {
    const std::string press = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
    writeDataFile(dataDir.path(), {0.254f});
    open();
    choosePictures(window->job, work.path(), kTwo);
    chooseOutputProfile(press);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(window->job.PixelBytes, 4);

    WindowSettings settings;
    settings.output = QString::fromStdString((work / "window.tif").string());
    enterSettings(*window, settings);
    confirmAndRun(*window);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_TRUE(window->LabelDone->text().contains("色彩：default_cmyk.icc"))
        << window->LabelDone->text().toStdString();
    const TempDir batchData;
    const BatchOutcome batch = runBatchAlongside(
        {"--pitch", "0.5", "--sharpness", "3", "--width", "2", "--height", "1.5",
         "--output-profile", press},
        work / "batch.tif", {work / "pic1.bmp", work / "pic2.bmp"}, batchData.path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_EQ(readFile(work / "batch.tif"), readFile(work / "window.tif"));
    EXPECT_EQ(readTiff(work / "window.tif", false).photometric, 5);
}

// The colour dialog's choice is kept for the next session; a kept profile
// that no longer opens or fits is dropped for sRGB, said once.
struct KeptColour {
    const char* name;
    std::function<void(const fs::path& profile)> meanwhile;
    bool stillOpens;
};

class ColourChoice : public WindowTest, public ::testing::WithParamInterface<KeptColour> {
  protected:
    TempDir work;
};

TEST_P(ColourChoice, KeptForTheNextSession) {
    const KeptColour& c = GetParam();
    const fs::path press = work / "press.icc";
    fs::copy_file("/usr/share/color/icc/ghostscript/default_cmyk.icc", press);
    writeDataFile(dataDir.path(), {0.254f});
    open();
    ColourDialog* dialog = openColourDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->fileHook = [&press] { return QString::fromStdString(press.string()); };
    QTest::mouseClick(dialog->CommandOutputFile, Qt::LeftButton);
    QTest::keyClick(dialog->ComboIntent, Qt::Key_Home); // perceptual
    // On its box: the check box is as wide as the dialog.
    QTest::mouseClick(dialog->CheckBpc, Qt::LeftButton, {},
                      QPoint(8, dialog->CheckBpc->height() / 2));
    QTest::mouseClick(dialog->CommandOK, Qt::LeftButton);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    const ColourSettings chosen{"", press.string(), RenderIntent::Perceptual, false};
    ASSERT_EQ(window->runSettings().colour, chosen);

    window.reset();
    c.meanwhile(press);
    open();
    ColourSettings expected = chosen;
    if (!c.stillOpens) {
        expected.outputProfile.clear();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains("sRGB") &&
                    messages[0].contains(QString::fromStdString(press.string())))
            << messages[0].toStdString();
    }
    EXPECT_EQ(window->runSettings().output.bytes(), c.stillOpens ? 4 : 3);
    window.reset();
    open(); // said once
    EXPECT_EQ(messages.size(), c.stillOpens ? 0u : 1u);
    EXPECT_EQ(window->runSettings().colour, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ColourChoice,
    ::testing::Values(KeptColour{"StillThere", [](const fs::path&) {}, true},
                      KeptColour{"Deleted", [](const fs::path& p) { fs::remove(p); }, false},
                      KeptColour{"NowDamaged",
                                 [](const fs::path& p) {
                                     writeFile(p, {'a', 'c', 's', 'p'});
                                 },
                                 false},
                      KeptColour{"NowGrey",
                                 [](const fs::path& p) {
                                     fs::copy_file("/usr/share/color/icc/ghostscript/sgray.icc", p,
                                                   fs::copy_options::overwrite_existing);
                                 },
                                 false}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchAndWindow,
    ::testing::Values(
        SameRun{"Vertical",
                kTwo,
                {},
                {"--pitch", "0.5", "--sharpness", "3", "--width", "2", "--height", "1.5"}},
        SameRun{"VerticalWhiteGaps",
                kTwo,
                {.whiteGap = 2},
                {"--pitch", "0.5", "--sharpness", "3", "--width", "2", "--height", "1.5",
                 "--white-gap", "2"}},
        SameRun{"HorizontalWhiteGaps",
                kTwo,
                {.sharpness = "4 倍清晰", .whiteGap = 1, .horizontal = true},
                {"--pitch", "0.5", "--sharpness", "4", "--width", "2", "--height", "1.5",
                 "--white-gap", "1", "--horizontal"}},
        SameRun{"WholeSharpnessWithAPoint",
                kTwo,
                {.pitch = "0.254", .sharpness = "3.0", .width = "1.3", .height = "1.1"},
                {"--pitch", "0.254", "--sharpness", "3.0", "--width", "1.3", "--height", "1.1"}},
        SameRun{"FourPicturesWithAnchors",
                {{16, 12}, {18, 13, 3, 2, true}, {17, 14, 1, 4}, {20, 15, 2, 0}},
                {.pitch = "0.3",
                 .sharpness = "2 倍清晰",
                 .width = "1.7",
                 .height = "1.2",
                 .horizontal = true},
                {"--pitch", "0.3", "--sharpness", "2", "--width", "1.7", "--height", "1.2",
                 "--anchor", "2:3,2", "--anchor", "3:1,4", "--anchor", "4:2,0", "--horizontal"}},
        SameRun{"PrinterResolution",
                kTwo,
                {.printerPpi = "720"},
                {"--pitch", "0.5", "--sharpness", "3", "--width", "2", "--height", "1.5",
                 "--printer-ppi", "720"},
                567},
        SameRun{"PrinterResolutionHorizontalWhiteGaps",
                {{16, 12}, {18, 13, 3, 2}, {17, 14, 1, 4}},
                {.sharpness = "4 倍清晰", .whiteGap = 2, .horizontal = true, .printerPpi = "300"},
                {"--pitch", "0.5", "--sharpness", "4", "--width", "2", "--height", "1.5",
                 "--anchor", "2:3,2", "--anchor", "3:1,4", "--white-gap", "2", "--horizontal",
                 "--printer-ppi", "300"}},
        // 1 cm would give 0.73 cm, which would give 0.99 cm back.
        SameRun{"WidthTypedWithTheLock",
                {{301, 221}, {301, 221}},
                {.pitch = "3", .sharpness = "1 倍清晰", .typedWidth = "100"},
                {"--pitch", "3", "--sharpness", "1", "--width", "100"},
                666},
        // Numbers typed with a Chinese input method, in the boxes and as options.
        SameRun{"FullWidthDigits",
                kTwo,
                {.pitch = "０．５", .sharpness = "３倍清晰", .width = "２", .height = "１。５"},
                {"--pitch", "０．５", "--sharpness", "３", "--width", "２", "--height", "１。５"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
