// The pitch test through the window: the button, the dialog's fields as a
// user types them, its messages, and the chart it writes, byte for byte the
// batch tool's.

#include "app/folder_list.h"
#include "app/pitch_photo_dialog.h"
#include "app/pitch_test_dialog.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "tests/app/data_file.h"
#include "tests/app/typing.h"
#include "tests/app/window_fixture.h"
#include "tests/pitch_reading/chart_photo.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/batch_process.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest/QTest>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

class PitchTestWindow : public WindowTest {
  protected:
    void SetUp() override {
        writeDataFile(dataDir.path(), {0.254f});
        open();
        activate();
    }

    // Types text into a box in place of what it holds, key by key.
    static void retype(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        typeText(box, text);
    }

    PitchTestDialog* openDialog(const QString& pitchBox) {
        window->Combo3->setFocus(Qt::TabFocusReason);
        window->Combo3->lineEdit()->selectAll();
        typeText(window->Combo3->lineEdit(), pitchBox);
        QTest::mouseClick(window->CommandPitchTest, Qt::LeftButton);
        auto* dialog = window->findChild<PitchTestDialog*>();
        if (dialog != nullptr) {
            QTest::qWaitForWindowExposed(dialog);
        }
        return dialog;
    }

    static QStringList fieldsOf(const PitchTestDialog* d) {
        return {d->TextPitch->text(), d->TextRange->text(), d->TextStep->text(),
                d->TextRes->text(),   d->TextWidth->text(), d->TextBand->text()};
    }

    TempDir work;
};

TEST_F(PitchTestWindow, OffersThePitchBoxsPitchAndFollowsTheTypedOne) {
    PitchTestDialog* dialog = openDialog("0.3");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(fieldsOf(dialog), (QStringList{"0.3", "0.003", "0.00015", "720", "18", "6"}));
    EXPECT_EQ(dialog->ComboPaper->currentText(), "A4");
    EXPECT_TRUE(dialog->OpVertical->isChecked());
    EXPECT_EQ(dialog->TextFile->text(), QDir(window->Dir1->path()).filePath("栅距测试.tif"));
    retype(dialog->TextPitch, "0.254");
    EXPECT_EQ(dialog->TextRange->text(), "0.00254");
    EXPECT_EQ(dialog->TextStep->text(), "0.000127");
    // A range the user typed stays; the step still follows the pitch.
    retype(dialog->TextRange, "0.001");
    retype(dialog->TextPitch, "0.25");
    EXPECT_EQ(dialog->TextRange->text(), "0.001");
    EXPECT_EQ(dialog->TextStep->text(), "0.000125");
    QTest::mouseClick(dialog->CommandClose, Qt::LeftButton);
    QCoreApplication::processEvents();
    // Prints rendered at the printer's resolution get their chart at it too.
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    window->ComboRes->setFocus(Qt::TabFocusReason);
    window->ComboRes->lineEdit()->selectAll();
    typeText(window->ComboRes->lineEdit(), "1440");
    dialog = openDialog("0.3");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->TextRes->text(), "1440");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PitchTestWindow, ABadFieldIsNamedAndNoFileWritten) {
    PitchTestDialog* dialog = openDialog("0.254");
    ASSERT_NE(dialog, nullptr);
    const fs::path file = work / "chart.tif";
    retype(dialog->TextFile, QString::fromStdString(file.string()));
    const std::pair<QLineEdit*, const char*> cases[] = {
        {dialog->TextStep, "步长必须大于 0 毫米。"},
        {dialog->TextRes, "分辨率必须在 72 到 4800 像素/英寸之间。"},
        {dialog->TextBand, "条高“8mm”不是数字。"},
    };
    const QString bad[] = {"0", "5000", "8mm"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString kept = cases[i].first->text();
        retype(cases[i].first, bad[i]);
        QTest::mouseClick(dialog->CommandMake, Qt::LeftButton);
        ASSERT_EQ(messages.size(), i + 1);
        EXPECT_EQ(messages.back(), QString(cases[i].second));
        retype(cases[i].first, kept);
    }
    // Letter paper, chosen with the keys, is shorter than the default chart.
    dialog->ComboPaper->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dialog->ComboPaper, Qt::Key_End);
    EXPECT_EQ(dialog->ComboPaper->currentText(), "Letter");
    QTest::mouseClick(dialog->CommandMake, Qt::LeftButton);
    ASSERT_EQ(messages.size(), std::size(cases) + 1);
    EXPECT_TRUE(messages.back().startsWith("Letter 纸的可打印范围（四边各留 1 厘米）最多放得下 "))
        << messages.back().toStdString();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PitchTestWindow, EnterMakesTheChartAndEscCloses) {
    PitchTestDialog* dialog = openDialog("0.254");
    ASSERT_NE(dialog, nullptr);
    retype(dialog->TextStep, "0");
    QTest::keyClick(dialog->TextStep, Qt::Key_Return);
    EXPECT_EQ(messages, std::vector<QString>{"步长必须大于 0 毫米。"});
    QTest::keyClick(dialog->TextStep, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<PitchTestDialog*>(), nullptr);
}

TEST_F(PitchTestWindow, WritesTheBatchToolsChartAndSaysWhatToDo) {
    PitchTestDialog* dialog = openDialog("0.3");
    ASSERT_NE(dialog, nullptr);
    const fs::path file = work / "window.tif";
    retype(dialog->TextPitch, "0.508");
    retype(dialog->TextStep, "0.002");
    retype(dialog->TextRes, "300");
    retype(dialog->TextWidth, "15");
    retype(dialog->TextBand, "6.5");
    QTest::mouseClick(dialog->OpHorizontal, Qt::LeftButton);
    retype(dialog->TextFile, QString::fromStdString(file.string()));
    QSignalSpy progress(dialog->ProgressChart, &QProgressBar::valueChanged);
    QTest::mouseClick(dialog->CommandMake, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("测试图已保存到 " + QString::fromStdString(file.string())))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("100% 比例、以 300 像素/英寸打印"));
    EXPECT_TRUE(messages[0].contains("填入栅距框"));
    ASSERT_GE(progress.size(), 2);
    EXPECT_EQ(progress[progress.size() - 2][0].toInt(), 1000);
    EXPECT_EQ(dialog->ProgressChart->value(), 0);
    EXPECT_EQ(readTiff(file, false).xResolution, 300);

    const fs::path batchFile = work / "batch.tif";
    const BatchOutcome batch =
        runBatch({"--pitch-test", "--pitch", "0.508", "--step", "0.002", "--resolution", "300",
                  "--width", "15", "--band-height", "6.5", "--horizontal", "-o", batchFile.string(),
                  "--data-file", dataDir.path().string()});
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    // Range 1 % of 0.508 (0.00508) in steps of 0.002: two steps either way.
    EXPECT_EQ(batch.out, "0.5040 mm  50.40 LPI\n0.5060 mm  50.20 LPI\n0.5080 mm  50.00 LPI\n"
                         "0.5100 mm  49.80 LPI\n0.5120 mm  49.61 LPI\n");
    EXPECT_EQ(readFile(batchFile), readFile(file));
}

// A photograph of the chart under a sheet of 0.25412 mm: the pitch shown over
// the photograph, the batch tool's last line the same, and a click puts it
// into the pitch list and the pitch box. A photograph of the table alone
// gets the message.
TEST_F(PitchTestWindow, ReadsThePitchFromAPhotographIntoThePitchList) {
    ChartPhoto photo;
    photo.chart = defaultPitchChart(0.254);
    photo.truePitch = 0.25412;
    const fs::path file = work / "photo.jpg";
    ASSERT_TRUE(writeChartPhoto(photo, file));
    PitchTestDialog* dialog = openDialog("0.254");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->CommandPhoto->text(), "从照片读取栅距");
    dialog->readPhoto(QString::fromStdString(file.string()));
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    auto* shown = dialog->findChild<PitchPhotoDialog*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(shown));
    EXPECT_FALSE(shown->LabelPhoto->pixmap().isNull());

    const BatchOutcome batch = runBatch({"--read-pitch", file.string(), "--pitch", "0.254"});
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    const std::string out = batch.out.substr(0, batch.out.size() - 1);
    const std::string pitch = out.substr(out.rfind('\n') + 1);
    EXPECT_NEAR(std::stod(pitch) / photo.truePitch, 1, 0.00012) << pitch;
    EXPECT_TRUE(
        shown->LabelResult->text().startsWith(QString::fromStdString("栅距 " + pitch + " ± ")))
        << shown->LabelResult->text().toStdString();
    EXPECT_TRUE(shown->LabelResult->text().contains("最接近第 22 条：0.254127 mm"));

    QTest::mouseClick(shown->CommandAdd, Qt::LeftButton);
    EXPECT_FALSE(shown->CommandAdd->isEnabled());
    const QString added = QString::fromStdString(formatSingle(toSingle(std::stod(pitch))));
    EXPECT_EQ(window->Combo3->currentText(), added);
    ASSERT_EQ(window->Combo3->count(), 2);
    EXPECT_EQ(window->Combo3->itemText(1), added);

    photo.withChart = false;
    ASSERT_TRUE(writeChartPhoto(photo, file));
    dialog->readPhoto(QString::fromStdString(file.string()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("让测试图占满画面")) << messages[0].toStdString();
}

} // namespace
} // namespace tovrel::test
