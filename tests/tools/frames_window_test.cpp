// The frames dialog through the window: opened from the "更多…" menu, a
// folder chosen, the frames reversed, one dropped and the card made, byte for
// byte the batch tool's file for the same frames.

#include "app/frames_dialog.h"
#include "app/main_window.h"
#include "tests/app/data_file.h"
#include "tests/app/window_fixture.h"
#include "tests/render/picture_fixture.h"
#include "tests/render/window_run.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/window_and_batch.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

class FramesWindow : public WindowTest {
  protected:
    // A click on "更多…", then on "多帧…" in the menu it pops up.
    FramesDialog* openDialog() {
        QMenu* menu = window->CommandMore->menu();
        QTimer::singleShot(0, menu, [menu] {
            QTest::mouseClick(menu, Qt::LeftButton, {},
                              menu->actionGeometry(menu->actions().front()).center());
        });
        QTest::mouseClick(window->CommandMore, Qt::LeftButton);
        return window->findChild<FramesDialog*>();
    }

    QStringList names(const FramesDialog* d) const {
        QStringList shown;
        for (const QString& path : d->frames()) {
            shown << QFileInfo(path).fileName();
        }
        return shown;
    }

    TempDir work;
};

TEST_F(FramesWindow, FolderReversedOneDroppedGivesTheBatchToolsFile) {
    writeDataFile(dataDir.path(), {0.254f});
    open();
    activate();
    enterSettings(*window, {});
    fs::create_directory(work / "frames");
    const char* files[] = {"f10.bmp", "f2.bmp", "f1.bmp", "f20.bmp", "f3.bmp"};
    for (int n = 1; n <= 5; ++n) {
        writePicture(work / "frames" / files[n - 1], n, TestPicture{30, 20});
    }
    FramesDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    QTest::qWaitForWindowExposed(dialog);
    dialog->folderHook = [this] { return QString::fromStdString((work / "frames").string()); };
    QTest::mouseClick(dialog->CommandFolder, Qt::LeftButton);
    EXPECT_EQ(names(dialog), (QStringList{"f1.bmp", "f2.bmp", "f3.bmp", "f10.bmp", "f20.bmp"}));
    EXPECT_FALSE(dialog->ListFrames->item(0)->icon().isNull());
    QTest::mouseClick(dialog->CommandReverse, Qt::LeftButton);
    QListWidget* list = dialog->ListFrames;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QTest::mouseClick(dialog->CommandDrop, Qt::LeftButton);
    ASSERT_EQ(names(dialog), (QStringList{"f20.bmp", "f10.bmp", "f2.bmp", "f1.bmp"}));
    EXPECT_EQ(list->item(1)->text(), "2 f10.bmp");
    dialog->TextFile->setFocus();
    dialog->TextFile->selectAll();
    QTest::keyClicks(dialog->TextFile, QString::fromStdString((work / "window.tif").string()));
    QTest::mouseClick(dialog->CommandRun, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().startsWith("已合成 4 帧")) << messages.front().toStdString();

    const TempDir batchData;
    std::vector<fs::path> frames;
    for (const char* name : {"f20.bmp", "f10.bmp", "f2.bmp", "f1.bmp"}) {
        frames.push_back(work / "frames" / name);
    }
    const std::string width = window->CombK->currentText().toStdString();
    const std::string height = window->CombG->currentText().toStdString();
    const BatchOutcome batch = runBatchAlongside(
        {"--pitch", "0.5", "--sharpness", "3", "--width", width, "--height", height},
        work / "batch.tif", frames, batchData.path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    const std::vector<unsigned char> fromDialog = readFile(work / "window.tif");
    EXPECT_EQ(readFile(work / "batch.tif"), fromDialog);
    EXPECT_TRUE(
        readsAsTiff(work / "window.tif", 480, 360, static_cast<float>(4 * 3 * 10 * 2.54 / 0.5)));
}

} // namespace
} // namespace tovrel::test
