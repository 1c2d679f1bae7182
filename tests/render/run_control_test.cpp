// The start button through real clicks: confirming, refusing, the run and
// what the window shows before, during and after it.

#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/progress_scroll_bar.h"
#include "params/pitch_store.h"
#include "render/run_summary.h"
#include "sheet/sheet_dialog.h"
#include "sheet/sheet_run.h"
#include "tests/app/data_file.h"
#include "tests/app/window_fixture.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/window_run.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tiff_reader.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWindow>
#include <QtTest/QTest>

#include <functional>
#include <set>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

const QString kRefused = "  请选择参数";

class StartButton : public WindowTest {
  protected:
    void openWith(int pictures, const std::vector<float>& entries = {0.254f}) {
        writeDataFile(dataDir.path(), entries);
        open();
        credits = {window->Label4->text(), window->Label5->text(), window->Label1->text()};
        std::vector<TestPicture> list(std::size_t(pictures), TestPicture{16, 12});
        choosePictures(window->job, work.path(), list);
    }

    void enter(WindowSettings settings = {}) {
        if (settings.output.isEmpty()) {
            settings.output = QString::fromStdString(output().string());
        }
        enterSettings(*window, settings);
    }

    // Pictures and settings entered and confirmed.
    void arm(WindowSettings settings = {}) {
        openWith(2);
        enter(settings);
        click();
        ASSERT_EQ(caption(), "开始");
    }

    void click() { QTest::mouseClick(window->Command1, Qt::LeftButton); }
    QString caption() const { return window->Command1->text(); }
    fs::path output() const { return work / "out.tif"; }

    std::vector<QString> shownCredits() const {
        return {window->Label4->text(), window->Label5->text(), window->Label1->text()};
    }
    void scribbleOnCredits() {
        for (QLabel* label : {window->Label4, window->Label5, window->Label1}) {
            label->setText("?");
        }
    }

    std::set<fs::path> folderContents() const {
        std::set<fs::path> names;
        for (const auto& entry : fs::directory_iterator(work.path())) {
            names.insert(entry.path().filename());
        }
        return names;
    }

    TempDir work;
    std::vector<QString> credits;
};

struct Unconfirmable {
    const char* name;
    int pictures;
    const char* pitch;
    const char* sharpness;
    float readPitch;
    float readSharp;
    QString width = "2";
    QString says = kRefused;
};

class ConfirmRefused : public StartButton, public ::testing::WithParamInterface<Unconfirmable> {};

TEST_P(ConfirmRefused, ShowsTheMessageAndChangesNothingElse) {
    const Unconfirmable& c = GetParam();
    openWith(c.pictures);
    enter({.pitch = c.pitch, .sharpness = c.sharpness, .width = c.width});
    window->job.OutPath = "earlier.tif";
    click();
    EXPECT_EQ(messages, std::vector<QString>{c.says});
    EXPECT_EQ(caption(), "确定");
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(window->job.OutPath, "earlier.tif");
    // The values just read stay in the job.
    EXPECT_EQ(window->job.Pitch, c.readPitch);
    EXPECT_EQ(window->job.Sharp, c.readSharp);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfirmRefused,
    ::testing::Values(Unconfirmable{"OnePicture", 1, "0.5", "3 倍清晰", 0.5f, 3.0f},
                      Unconfirmable{"PitchZero", 2, "0", "3 倍清晰", 0.0f, 3.0f},
                      Unconfirmable{"PitchEmpty", 2, "", "4 倍清晰", 0.0f, 4.0f},
                      Unconfirmable{"PitchLabel", 2, "栅距mm", "4 倍清晰", 0.0f, 4.0f},
                      Unconfirmable{"PitchDesignText", 2, "栅距", "2 倍清晰", 0.0f, 2.0f},
                      Unconfirmable{"SharpnessLabel", 2, "0.5", "清晰倍数", 0.5f, 0.0f},
                      Unconfirmable{"WidthLetters", 2, "0.5", "3 倍清晰", 0.5f, 3.0f, "abc",
                                    "打印宽度“abc”不是数字：请填写以厘米为单位的打印宽度。"},
                      Unconfirmable{"WidthLabel", 2, "0.5", "3 倍清晰", 0.5f, 3.0f, "宽cm",
                                    "请填写以厘米为单位的打印宽度。"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Confirmable {
    const char* name;
    const char* pitch;
    const char* sharpness;
    float readPitch;
    float readSharp;
};

class ConfirmArmed : public StartButton, public ::testing::WithParamInterface<Confirmable> {};

TEST_P(ConfirmArmed, TakesTheParametersAndLocksTheOutputBox) {
    const Confirmable& c = GetParam();
    openWith(2);
    enter({.pitch = c.pitch, .sharpness = c.sharpness, .output = "/some/where/cat!.tif"});
    scribbleOnCredits();
    click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(caption(), "开始");
    EXPECT_TRUE(window->TextOUT->isReadOnly());
    EXPECT_EQ(window->job.OutPath, "/some/where/cat!.tif");
    EXPECT_EQ(window->job.Pitch, c.readPitch);
    EXPECT_EQ(window->job.Sharp, c.readSharp);
    EXPECT_EQ(shownCredits(), credits);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfirmArmed,
                         ::testing::Values(Confirmable{"ListItems", "0.508", "3 倍清晰", 0.508f, 3},
                                           Confirmable{"NoBlank", "0.254", "12倍清晰", 0.254f, 12},
                                           Confirmable{"LeadingBlanks", "1", "  3", 1, 3.0f},
                                           Confirmable{"TypedUnit", "0.3mm", "2", 0.3f, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartButton, ArmedOutputBoxTakesNoTyping) {
    arm();
    activate();
    QTest::mouseClick(window->TextOUT, Qt::LeftButton);
    QTest::keyClicks(window->TextOUT, "x");
    EXPECT_EQ(window->TextOUT->text().toStdString(), output().string());
}

TEST_F(StartButton, ChangedPitchConfirmsAnewWithTheOutputNameAgain) {
    arm();
    window->Combo3->setEditText("0.6");
    EXPECT_EQ(caption(), "确定");
    window->TextOUT->setText("/else/where.tif");
    click();
    EXPECT_EQ(caption(), "开始");
    EXPECT_EQ(window->job.OutPath, "/else/where.tif");
    EXPECT_EQ(window->job.Pitch, 0.6f);
}

struct OutputName {
    const char* name;
    QString pasted;
    const char* path; // relative to the folder the folder list shows; nullptr: refused
};

class OutputNameAtConfirmation : public StartButton,
                                 public ::testing::WithParamInterface<OutputName> {};

TEST_P(OutputNameAtConfirmation, NamesTheFullPathOrSaysWhatIsWrong) {
    const OutputName& c = GetParam();
    openWith(2);
    enter();
    ASSERT_TRUE(window->Dir1->setPath(QString::fromStdString(work.path().string())));
    activate();
    QApplication::clipboard()->setText(c.pasted);
    QTest::mouseClick(window->TextOUT, Qt::LeftButton);
    QTest::keyClick(window->TextOUT, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window->TextOUT, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(window->TextOUT->text(), c.pasted);
    click();
    if (c.path == nullptr) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains("控制字符")) << messages[0].toStdString();
        EXPECT_EQ(caption(), "确定");
        return;
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(caption(), "开始");
    const std::string full = (work / c.path).string();
    EXPECT_EQ(window->job.OutPath, full);
    EXPECT_EQ(window->TextOUT->text().toStdString(), full);
    click();
    EXPECT_TRUE(readsAsTiff(full, 240, 180, 304.8f));
    EXPECT_TRUE(window->LabelDone->toolTip().contains(QString::fromStdString(full)) ||
                window->LabelDone->text().contains(QString::fromStdString(full)));
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputNameAtConfirmation,
                         ::testing::Values(OutputName{"Relative", "猫!.tif", "猫!.tif"},
                                           OutputName{"LineFeed", "cat\n!.tif", nullptr},
                                           OutputName{"Tab", "cat\t!.tif", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the window showed each time the progress bar moved.
struct Sighting {
    int value;
    QString caption;
    bool outputLocked;
};

TEST_F(StartButton, RunEndsBackInTheConfirmState) {
    arm();
    std::vector<Sighting> seen;
    QObject::connect(window->HScroll1, &QScrollBar::valueChanged, [&](int value) {
        seen.push_back({value, caption(), window->TextOUT->isReadOnly()});
    });
    scribbleOnCredits();
    click();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty()); // a new file replaces nothing
    EXPECT_EQ(caption(), "确定");
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(shownCredits(), credits);

    // During the run: the pitch list's reload has already put the caption
    // back; the output box stays locked until the end, and is unlocked before
    // the progress bar goes back to 0.
    ASSERT_GE(seen.size(), 2u);
    for (std::size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_GT(seen[i].value, 0);
        EXPECT_LE(seen[i].value, 1000);
        EXPECT_EQ(seen[i].caption, "确定");
        EXPECT_TRUE(seen[i].outputLocked);
        if (i > 0) {
            EXPECT_GE(seen[i].value, seen[i - 1].value);
        }
    }
    EXPECT_EQ(seen.back().value, 0);
    EXPECT_FALSE(seen.back().outputLocked);

    EXPECT_TRUE(readsAsTiff(output(), 240, 180, 304.8f));

    // The status line says what was written; its button opens the folder.
    const QString done = window->LabelDone->toolTip().isEmpty() ? window->LabelDone->text()
                                                                : window->LabelDone->toolTip();
    EXPECT_TRUE(done.startsWith(QString::fromStdString("已写出：" + output().string() + "\n")))
        << done.toStdString();
    const std::string details =
        "240 × 180 像素，304.8 像素/英寸，" + fileSizeText(fs::file_size(output())) + "，用时 ";
    EXPECT_TRUE(done.contains(QString::fromStdString(details))) << done.toStdString();
    QStringList opened;
    window->openFolderHook = [&](const QString& folder) { opened << folder; };
    QTest::mouseClick(window->CommandOpen, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QString::fromStdString(work.path().string())});

    // The output box takes typing again.
    activate();
    QTest::mouseClick(window->TextOUT, Qt::LeftButton);
    QTest::keyClick(window->TextOUT, Qt::Key_End);
    QTest::keyClicks(window->TextOUT, "x");
    EXPECT_EQ(window->TextOUT->text().toStdString(), output().string() + "x");
}

TEST_F(StartButton, RunRecordsItsPitchAndReloadsTheList) {
    arm();
    click();
    ASSERT_EQ(caption(), "确定");
    EXPECT_EQ(entriesOf(readFile(dataDir / "kvxj.dll")), (std::vector<float>{0.254f, 0.5f}));
    EXPECT_EQ(window->Combo3->currentText(), "栅距mm");
    ASSERT_EQ(window->Combo3->count(), 2);
    EXPECT_EQ(window->Combo3->itemText(0), "0.254");
    EXPECT_EQ(window->Combo3->itemText(1), "0.5");

    // The pitch box's label reads as 0: confirming needs a pitch again.
    click();
    EXPECT_EQ(messages, std::vector<QString>{kRefused});
    EXPECT_EQ(caption(), "确定");

    // A pitch already listed leaves the data file as it is.
    messages.clear();
    const std::vector<unsigned char> before = readFile(dataDir / "kvxj.dll");
    window->Combo3->setCurrentIndex(1);
    click();
    click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), before);
}

// "拼版…" from the "更多…" menu: the drawing follows the values, OK hands
// them to the window, and its run writes the sheet the core writes.
TEST_F(StartButton, SheetDialogDrawsTheSheetAndTheRunWritesIt) {
    openWith(2);
    enter();
    window->ActionSheet->trigger();
    auto* dialog = window->findChild<SheetDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "拼版");
    QTest::mouseClick(dialog->CheckSheet, Qt::LeftButton);
    EXPECT_EQ(dialog->SpinBleed->value(), 3); // a sheet's own bleed
    dialog->ComboPaper->setCurrentIndex(dialog->ComboPaper->findText("A4"));
    const QString shown = dialog->LabelLayout->text();
    const qint64 drawn = dialog->LabelDrawing->pixmap().cacheKey();
    EXPECT_TRUE(shown.contains("行 ×")) << shown.toStdString();
    dialog->SpinGutter->selectAll();
    QTest::keyClicks(dialog->SpinGutter, "12");
    EXPECT_NE(dialog->LabelLayout->text(), shown);
    EXPECT_NE(dialog->LabelDrawing->pixmap().cacheKey(), drawn);
    QTest::mouseClick(dialog->CheckMarks, Qt::LeftButton);
    const SheetSettings press = dialog->settings();
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    EXPECT_TRUE(press.sheet && press.marks && press.gutterMm == 12 && press.paperTurns);

    JobState core = window->job;
    click();
    core.Pitch = window->job.Pitch;
    core.Sharp = window->job.Sharp;
    click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    RunSettings meant{2, 1.5};
    meant.press = press;
    meant.press.slugDate = todayText();
    // The same name elsewhere: the slug line names the file.
    const TempDir elsewhere;
    core.OutPath = (elsewhere / "out.tif").string();
    RunRecord record;
    ASSERT_EQ(runInterlace(core, meant, recordingHooks(record)).outcome, RunOutcome::Done);
    EXPECT_EQ(readFile(output()), readFile(core.OutPath));
    const TiffContents sheet = readTiff(output(), false);
    EXPECT_EQ(uint64_t(sheet.width) * sheet.height, 2520u * 3564u); // A4 at 304.8 ppi
}

struct SettingsCase {
    const char* name;
    WindowSettings entered;
    RunSettings meant;
};

class SettingsReachTheRun : public StartButton,
                            public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsReachTheRun, SameFileAsTheCoreWithThoseSettings) {
    arm(GetParam().entered);
    JobState core = window->job;
    click();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();

    core.OutPath = (work / "core.tif").string();
    RunRecord record;
    const RunResult result = runInterlace(core, GetParam().meant, recordingHooks(record));
    ASSERT_EQ(result.outcome, RunOutcome::Done) << result.status.message();
    EXPECT_EQ(readFile(output()), readFile(core.OutPath));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsReachTheRun,
    ::testing::Values(
        SettingsCase{"Vertical", {}, {2, 1.5, false, 0, false}},
        SettingsCase{"VerticalWhiteGaps", {.whiteGap = 2}, {2, 1.5, true, 2, false}},
        SettingsCase{"Horizontal", {.horizontal = true}, {2, 1.5, false, 0, true}},
        SettingsCase{"HorizontalWhiteGaps",
                     {.sharpness = "4 倍清晰", .whiteGap = 1, .horizontal = true},
                     {2, 1.5, true, 1, true}},
        SettingsCase{"WhiteGapsWithoutAnItemChosen", {.whiteGap = -1}, {2, 1.5, true, 0, false}},
        SettingsCase{"SizesReadByLeadingNumber",
                     {.width = " 2.5cm", .height = "1.25 高"},
                     {2.5, 1.25, false, 0, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartButton, MissingDataFileKeepsTheRunArmed) {
    arm();
    fs::remove(dataDir / "kvxj.dll");
    window->HScroll1->setValue(250);
    const std::set<fs::path> before = folderContents();
    click();
    EXPECT_EQ(messages, std::vector<QString>{QString::fromStdString(notFoundMessage())});
    EXPECT_EQ(caption(), "确定");
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(window->HScroll1->value(), 250);
    EXPECT_EQ(window->job.TifOK, 0);
    EXPECT_EQ(folderContents(), before);

    // Confirmed again, the run starts again.
    messages.clear();
    writeDataFile(dataDir.path(), {0.254f});
    click();
    click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(caption(), "确定");
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_TRUE(fs::exists(output()));
}

TEST_F(StartButton, OutputOnTheDataFileIsRefusedAndKeepsThePitchList) {
    openWith(2);
    WindowSettings settings;
    settings.output = QString::fromStdString((dataDir / "kvxj.dll").string());
    enter(settings);
    click();
    ASSERT_EQ(caption(), "开始");
    const std::vector<unsigned char> dataBefore = readFile(dataDir / "kvxj.dll");
    click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("是本程序自己的数据文件 kvxj.dll"))
        << messages[0].toStdString();
    EXPECT_EQ(caption(), "确定");
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), dataBefore);
}

struct RefusedRun {
    const char* name;
    std::function<void(WindowSettings&, const TempDir&)> change;
    const char* says;
    // What else the user puts right besides the output name.
    std::function<void(mainS&)> mend = [](mainS&) {};
};

class RunRefused : public StartButton, public ::testing::WithParamInterface<RefusedRun> {};

TEST_P(RunRefused, ShowsWhyAndTakesAnotherOutputName) {
    WindowSettings settings;
    GetParam().change(settings, work);
    openWith(2);
    const std::vector<unsigned char> pictureBefore = readFile(work / "pic1.bmp");
    enter(settings);
    click();
    ASSERT_EQ(caption(), "开始");
    window->HScroll1->setValue(250);
    const std::set<fs::path> before = folderContents();
    const std::vector<unsigned char> dataBefore = readFile(dataDir / "kvxj.dll");
    click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(GetParam().says)) << messages[0].toStdString();
    EXPECT_EQ(caption(), "确定");
    EXPECT_EQ(window->HScroll1->value(), 250);
    EXPECT_EQ(folderContents(), before);
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), dataBefore);
    EXPECT_EQ(readFile(work / "pic1.bmp"), pictureBefore);

    // The output box takes the other name the message asks for, typed.
    activate();
    const fs::path other = work / "other.tif";
    QTest::mouseClick(window->TextOUT, Qt::LeftButton);
    QTest::keyClick(window->TextOUT, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window->TextOUT, QString::fromStdString(other.string()));
    ASSERT_EQ(window->TextOUT->text().toStdString(), other.string());
    GetParam().mend(*window);
    click();
    click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(caption(), "确定");
    EXPECT_TRUE(readsAsTiff(other, 240, 180, 304.8f));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunRefused,
    ::testing::Values(RefusedRun{"NoPrintWidth",
                                 [](WindowSettings& s, const TempDir&) { s.width = "0"; },
                                 "打印尺寸太小", [](mainS& w) { w.CombK->setEditText("2"); }},
                      RefusedRun{"OutputIsASourcePicture",
                                 [](WindowSettings& s, const TempDir& w) {
                                     s.output = QString::fromStdString((w / "pic1.bmp").string());
                                 },
                                 "输出文件不能是源图片本身"},
                      RefusedRun{"OutputFolderMissing",
                                 [](WindowSettings& s, const TempDir& w) {
                                     s.output =
                                         QString::fromStdString((w / "none" / "x.tif").string());
                                 },
                                 "输出文件夹不存在"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartButton, FailureDuringTheRunEndsItAndKeepsTheEarlierFile) {
    arm();
    const std::vector<unsigned char> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    writeFile(output(), earlier);
    fs::remove(work / "pic2.bmp");
    const std::set<fs::path> before = folderContents();
    window->HScroll1->setValue(250);
    window->showRunStatus("已写出：/earlier.tif", "/");
    click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("无法打开第 2 张图片")) << messages[0].toStdString();
    EXPECT_EQ(window->LabelDone->text(), "");
    EXPECT_FALSE(window->CommandOpen->isEnabled());
    EXPECT_EQ(caption(), "确定");
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(readFile(output()), earlier);
    EXPECT_EQ(folderContents(), before);
}

TEST_F(StartButton, PitchThatCannotBeRecordedStillGivesTheOutput) {
    // A data file longer than the output: the output fits under the limit,
    // the data file cannot grow by the new pitch.
    openWith(2, std::vector<float>(2000, 0.254f));
    const std::vector<unsigned char> data = readFile(dataDir / "kvxj.dll");
    enter({.width = "0.5", .height = "0.25"}); // 60 x 30 pixels
    click();
    ASSERT_EQ(caption(), "开始");
    {
        const FileSizeLimit disk(data.size());
        click();
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("本次的栅距没有记入栅距列表，输出文件照常生成。"))
        << messages[0].toStdString();
    EXPECT_EQ(caption(), "确定");
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), data);
    EXPECT_EQ(window->Combo3->currentText(), "栅距mm");
    EXPECT_TRUE(readsAsTiff(output(), 60, 30, 304.8f));
    EXPECT_EQ(fs::file_size(output()), 1449u + 5400u);
}

TEST_F(StartButton, DoubleClickOnConfirmOnlyConfirms) {
    openWith(2);
    enter();
    // As a double click arrives: press, release, the second press reported
    // as a double click, release.
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QTest::mouseDClick(window->Command1, Qt::LeftButton);
    QTest::mouseRelease(window->Command1, Qt::LeftButton);
    EXPECT_EQ(caption(), "开始");
    EXPECT_FALSE(fs::exists(output()));
    // A click of its own starts the run.
    click();
    EXPECT_EQ(caption(), "确定");
    EXPECT_TRUE(readsAsTiff(output(), 240, 180, 304.8f));
    EXPECT_TRUE(messages.empty());
}

struct Replacing {
    const char* name;
    bool answer;
};

class ExistingOutput : public StartButton, public ::testing::WithParamInterface<Replacing> {};

TEST_P(ExistingOutput, IsReplacedOnlyAfterYes) {
    const std::vector<unsigned char> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    arm();
    writeFile(output(), earlier);
    answer = GetParam().answer;
    click();
    EXPECT_EQ(questions, std::vector<QString>{"文件已存在，要替换吗？"});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(caption(), "确定");
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    if (GetParam().answer) {
        EXPECT_TRUE(readsAsTiff(output(), 240, 180, 304.8f));
    } else {
        EXPECT_EQ(readFile(output()), earlier);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ExistingOutput,
                         ::testing::Values(Replacing{"Yes", true}, Replacing{"No", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Input a user could send: a click on the white-gap box, a key for the
// output box, closing the window.
void postUserInput(mainS& w) {
    const QPointF at = QRectF(w.LB1->rect()).center();
    const QPointF global = w.LB1->mapToGlobal(at);
    QCoreApplication::postEvent(w.LB1,
                                new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(w.LB1,
                                new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QCoreApplication::postEvent(w.TextOUT,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z"));
    QCoreApplication::postEvent(w.TextOUT,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, "z"));
    // The close box asks the platform window, which closes the widget.
    QCoreApplication::postEvent(w.windowHandle(), new QCloseEvent);
}

TEST_F(StartButton, InputWaitingOutsideARunIsDelivered) {
    arm();
    // Unlocked, as after a run, so that the key could change the box.
    window->TextOUT->setReadOnly(false);
    postUserInput(*window);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->LB1->isChecked());
    EXPECT_TRUE(window->TextOUT->text().endsWith("z"));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StartButton, InputDuringARunIsDroppedNotDelayed) {
    arm();
    const QString name = window->TextOUT->text();
    postUserInput(*window);
    click();
    ASSERT_EQ(caption(), "确定");
    ASSERT_FALSE(window->TextOUT->isReadOnly());
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->LB1->isChecked());
    EXPECT_EQ(window->TextOUT->text(), name);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fs::exists(output()));
}

// Records the progress bar's value each time it is painted.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QScrollBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    std::vector<int> painted;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted.push_back(bar_->value());
        }
        return false;
    }

  private:
    QScrollBar* bar_;
};

TEST_F(StartButton, WindowRepaintsDuringARun) {
    arm();
    QCoreApplication::processEvents();
    PaintWatch watch(window->HScroll1);
    click();
    ASSERT_EQ(caption(), "确定");
    // Only a run moves the bar off 0, so a painted value above 0 was painted
    // while the run lasted.
    EXPECT_TRUE(std::any_of(watch.painted.begin(), watch.painted.end(),
                            [](int value) { return value > 0; }))
        << watch.painted.size() << " paints";
}

} // namespace
} // namespace tovrel::test
