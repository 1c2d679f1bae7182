// Picking pictures into the four slots with clicks and keys in the file list
// and the name boxes, and the lists following drive and folder.

#include "app/drive_list.h"
#include "app/file_list.h"
#include "app/folder_list.h"
#include "app/name_box.h"
#include "intake/common_frame.h"
#include "tests/app/pick_fixture.h"
#include "tests/app/qt_print.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QtTest/QTest>
#include <algorithm>

namespace tovrel::test {
namespace {

class FileSelection : public PickTest {
  protected:
    // Writes small pictures of the given names and lists them.
    void listPictures(std::initializer_list<const char*> names) {
        int size = 20;
        for (const char* name : names) {
            writePicture(name, size, size - 4);
            size += 2;
        }
        openPictures();
    }
    // Picks the named files one after the other.
    void pick(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            clickFile(name);
        }
    }
    QString picked(const char* name) const { return path(pictures / name); }
    std::string pickedStd(const char* name) const { return (pictures / name).string(); }
    QWidget* focused() const { return QApplication::focusWidget(); }
    QString text(int slot) const { return window->nameBox(slot)->text(); }
    bool previewShown(int slot) const { return !window->Image1[slot - 1]->pixmap().isNull(); }

    // Fills every X and Y box, as a user who set anchors would have.
    void typeAnchors() {
        for (int i = 0; i < 4; ++i) {
            window->TextX[i]->setText("3");
            window->TextY[i]->setText("2");
        }
    }
};

struct Direction {
    const char* label;
    bool horizontal;
    const char* output;
};

class FirstPick : public FileSelection, public ::testing::WithParamInterface<Direction> {};

TEST_P(FirstPick, FillsSlotOneAndProposesTheOutputName) {
    listPictures({"cat.bmp"});
    if (GetParam().horizontal) {
        QTest::mouseClick(window->Op_h, Qt::LeftButton);
        ASSERT_TRUE(window->Op_h->isChecked());
    }
    typeAnchors();
    window->TextOUT->setText("typed.tif");
    window->Command1->setText("开始");
    window->Label4->clear();

    clickFile("cat.bmp");

    const JobState& job = window->job;
    EXPECT_EQ(text(1), QString("cat"));
    EXPECT_EQ(job.PickPath, pickedStd("cat.bmp"));
    EXPECT_EQ(job.InPath(1), job.PickPath);
    const std::string output = (pictures / GetParam().output).string();
    EXPECT_EQ(window->TextOUT->text().toStdString(), output);
    EXPECT_EQ(job.OutPath, output);
    for (int slot = 2; slot <= 4; ++slot) {
        EXPECT_EQ(text(slot), QString()) << slot;
        EXPECT_FALSE(previewShown(slot)) << slot;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window->TextX[i]->text(), QString()) << i;
        EXPECT_EQ(window->TextY[i]->text(), QString()) << i;
    }
    EXPECT_TRUE(previewShown(1));
    EXPECT_EQ(job.ViewCount, 1);
    EXPECT_EQ(job.Views, 1.0f);
    EXPECT_EQ(job.ActiveSlot, 2);
    EXPECT_EQ(focused(), window->Text2);
    EXPECT_EQ(window->Command1->text(), QString("确定"));
    EXPECT_FALSE(window->Label4->text().isEmpty());
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Directions, FirstPick,
                         ::testing::Values(Direction{"Vertical", false, "cat!.tif"},
                                           Direction{"Horizontal", true, "cat-.tif"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(FileSelection, UpperCaseNamesLoseTheirExtensionToo) {
    listPictures({"CAT.BMP"});
    clickFile("CAT.BMP");
    EXPECT_EQ(text(1), QString("CAT"));
    EXPECT_EQ(window->job.OutPath, (pictures / "CAT!.tif").string());
}

TEST_F(FileSelection, NoSlotBeforeTheFirstPicture) {
    listPictures({"a.bmp"});
    clickNameBox(2);
    ASSERT_EQ(window->job.ActiveSlot, 2);
    window->Command1->setText("开始");
    window->Label4->clear();

    clickFile("a.bmp");

    EXPECT_EQ(window->job.PickPath, pickedStd("a.bmp"));
    EXPECT_FALSE(window->Label4->text().isEmpty());
    EXPECT_EQ(text(1), QString("文件 1"));
    EXPECT_EQ(text(2), QString("文件 2"));
    EXPECT_EQ(window->job.ViewCount, 0);
    EXPECT_EQ(window->job.InPath(1), "");
    EXPECT_EQ(window->TextOUT->text(), QString("输出文件"));
    EXPECT_EQ(window->Command1->text(), QString("开始"));
    EXPECT_FALSE(previewShown(1));
}

TEST_F(FileSelection, SecondPickFillsSlotTwo) {
    listPictures({"a.bmp", "b.bmp"});
    clickFile("a.bmp");
    const std::string proposed = window->job.OutPath;
    window->TextOUT->setText("mine.tif");
    typeAnchors();

    clickFile("b.bmp");

    const JobState& job = window->job;
    EXPECT_EQ(text(1), QString("a"));
    EXPECT_EQ(text(2), QString("b"));
    EXPECT_EQ(text(3), QString());
    EXPECT_EQ(text(4), QString());
    EXPECT_EQ(job.InPath(2), pickedStd("b.bmp"));
    EXPECT_EQ(job.ViewCount, 2);
    EXPECT_EQ(job.Views, 2.0f);
    EXPECT_EQ(job.ActiveSlot, 3);
    EXPECT_EQ(window->TextX[0]->text(), QString("3"));
    EXPECT_EQ(window->TextY[0]->text(), QString("2"));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(window->TextX[i]->text(), QString()) << i;
        EXPECT_EQ(window->TextY[i]->text(), QString()) << i;
    }
    EXPECT_TRUE(previewShown(1));
    EXPECT_TRUE(previewShown(2));
    EXPECT_FALSE(previewShown(3));
    EXPECT_FALSE(previewShown(4));
    EXPECT_EQ(focused(), window->Command1);
    EXPECT_EQ(window->TextOUT->text(), QString("mine.tif"));
    EXPECT_EQ(job.OutPath, proposed);
}

TEST_F(FileSelection, RePickingPictureOneStartsOver) {
    listPictures({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
    pick({"a.bmp", "b.bmp", "c.bmp"});
    ASSERT_EQ(window->job.ViewCount, 3);
    typeAnchors();
    window->TextOUT->setText("mine.tif");

    clickNameBox(1);
    EXPECT_EQ(window->job.ActiveSlot, 1);
    clickFile("d.bmp");

    const JobState& job = window->job;
    EXPECT_EQ(text(1), QString("d"));
    EXPECT_EQ(job.InPath(1), pickedStd("d.bmp"));
    EXPECT_EQ(job.ViewCount, 1);
    EXPECT_EQ(job.ActiveSlot, 2);
    EXPECT_EQ(job.OutPath, (pictures / "d!.tif").string());
    EXPECT_EQ(window->TextOUT->text(), QString::fromStdString(job.OutPath));
    for (int slot = 2; slot <= 4; ++slot) {
        EXPECT_EQ(text(slot), QString()) << slot;
        EXPECT_FALSE(previewShown(slot)) << slot;
        // No size is left under an emptied preview.
        EXPECT_EQ(window->LabXY[slot - 1]->text(), QString()) << slot;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window->TextX[i]->text(), QString()) << i;
    }
    EXPECT_EQ(focused(), window->Text2);
}

TEST_F(FileSelection, ReplacingPictureTwoKeepsPictureOne) {
    listPictures({"a.bmp", "b.bmp", "c.bmp"});
    pick({"a.bmp", "b.bmp"});
    const std::string output = window->job.OutPath;
    clickNameBox(2);
    clickFile("c.bmp");
    EXPECT_EQ(text(1), QString("a"));
    EXPECT_EQ(text(2), QString("c"));
    EXPECT_EQ(window->job.InPath(1), pickedStd("a.bmp"));
    EXPECT_EQ(window->job.InPath(2), pickedStd("c.bmp"));
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(window->job.OutPath, output);
    EXPECT_EQ(window->LabXY[1]->text(), QString("20 x 24"));
}

TEST_F(FileSelection, AfterFourPicturesAPickReplacesTheFourth) {
    listPictures({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"});
    pick({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
    EXPECT_EQ(window->job.ViewCount, 4);
    EXPECT_EQ(window->job.ActiveSlot, 4);
    EXPECT_EQ(focused(), window->Command1);
    window->Command1->setText("开始");

    clickFile("e.bmp");

    EXPECT_EQ(window->job.ViewCount, 4);
    EXPECT_EQ(window->job.ActiveSlot, 4);
    EXPECT_EQ(text(3), QString("c"));
    EXPECT_EQ(text(4), QString("e"));
    EXPECT_EQ(window->job.InPath(4), pickedStd("e.bmp"));
    EXPECT_EQ(window->LabXY[3]->text(), QString("24 x 28"));
    EXPECT_EQ(window->Command1->text(), QString("确定"));
    EXPECT_EQ(focused(), window->Command1);
}

TEST_F(FileSelection, AnActiveSlotPastFourFillsNothing) {
    listPictures({"a.bmp", "b.bmp", "c.bmp"});
    pick({"a.bmp", "b.bmp"});
    window->job.ActiveSlot = 5;
    window->Command1->setText("开始");
    window->Label4->clear();
    clickFile("c.bmp");
    EXPECT_EQ(window->job.PickPath, pickedStd("c.bmp"));
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(text(2), QString("b"));
    EXPECT_EQ(text(3), QString());
    EXPECT_EQ(window->Command1->text(), QString("确定"));
    EXPECT_FALSE(window->Label4->text().isEmpty());
}

TEST_F(FileSelection, TabbingIntoANameBoxChoosesItsSlot) {
    listPictures({"a.bmp", "b.bmp"});
    clickFile("a.bmp");
    ASSERT_EQ(focused(), window->Text2);
    QTest::keyClick(window->Text2, Qt::Key_Tab);
    EXPECT_EQ(focused(), window->Text3);
    EXPECT_EQ(window->job.ActiveSlot, 3);
    // Slot 2 is still empty, so slot 3 takes nothing.
    clickFile("b.bmp");
    EXPECT_EQ(window->job.ViewCount, 1);
    EXPECT_EQ(text(3), QString());

    window->Text3->setFocus();
    QTest::keyClick(window->Text3, Qt::Key_Backtab);
    EXPECT_EQ(window->job.ActiveSlot, 2);
    clickFile("b.bmp");
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(text(2), QString("b"));
}

TEST_F(FileSelection, ArrowKeysInTheFileListPickToo) {
    listPictures({"a.bmp", "b.bmp", "c.bmp"});
    clickFile("a.bmp");
    QTest::keyClick(window->File1, Qt::Key_Down);
    QTest::keyClick(window->File1, Qt::Key_Down);
    EXPECT_EQ(window->job.ViewCount, 3);
    EXPECT_EQ(text(2), QString("b"));
    EXPECT_EQ(text(3), QString("c"));
}

TEST_F(FileSelection, ChineseNamesWithBlanks) {
    const std::filesystem::path folder = pictures / "样 片";
    std::filesystem::create_directory(folder);
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path(folder / "猫 咪 1.bmp"), "BMP"));
    openPictures();
    // Open the subfolder as a user does, by a double-click on its entry.
    const QList<QListWidgetItem*> entries = window->Dir1->findItems("样 片", Qt::MatchEndsWith);
    ASSERT_EQ(entries.size(), 1);
    const QPoint at = window->Dir1->visualItemRect(entries.front()).center();
    QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(window->Dir1->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(window->File1->path(), path(folder));

    clickFile("猫 咪 1.bmp");

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(text(1), QString("猫 咪 1"));
    EXPECT_EQ(window->job.InPath(1), (folder / "猫 咪 1.bmp").string());
    EXPECT_EQ(window->job.OutPath, (folder / "猫 咪 1!.tif").string());
    EXPECT_EQ(window->LabXY[0]->text(), QString("20 x 30"));
    EXPECT_TRUE(previewShown(1));
}

TEST_F(FileSelection, ARefusedPictureLeavesItsSlotToBeFilledAgain) {
    listPictures({"a.bmp", "c.bmp"});
    QImage eightBit(16, 16, QImage::Format_Indexed8);
    eightBit.setColorCount(2);
    eightBit.setColor(0, qRgb(0, 0, 0));
    eightBit.setColor(1, qRgb(255, 255, 255));
    eightBit.fill(1);
    ASSERT_TRUE(eightBit.save(picked("b.bmp"), "BMP"));
    // Cut short in its pixel rows, it cannot be decoded.
    std::vector<unsigned char> bytes = readFile(pictures / "b.bmp");
    bytes.resize(bytes.size() - 40);
    writeFile(pictures / "b.bmp", bytes);
    ASSERT_TRUE(window->File1->setPath(path(pictures.path())));
    JobState alone;
    alone.InPath(1) = pickedStd("b.bmp");
    const PictureCache cache(pictures / "cache");
    const Status refusal = readSlotHeader(alone, 1, &cache);
    ASSERT_FALSE(refusal);

    pick({"a.bmp", "b.bmp"});

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), QString::fromStdString(refusal.message()));
    EXPECT_EQ(window->job.ViewCount, 1);
    EXPECT_EQ(window->job.Views, 1.0f);
    EXPECT_EQ(text(2), QString());
    EXPECT_EQ(window->LabXY[1]->text(), QString());
    EXPECT_FALSE(previewShown(2));
    EXPECT_EQ(window->job.ActiveSlot, 2);
    EXPECT_EQ(focused(), window->Text2);

    clickFile("c.bmp");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(text(2), QString("c"));
    EXPECT_EQ(window->job.InPath(2), pickedStd("c.bmp"));
}

TEST_F(FileSelection, AFileDeletedAfterListingIsReported) {
    listPictures({"a.bmp", "b.bmp", "c.bmp"});
    clickFile("a.bmp");
    std::filesystem::remove(pictures / "b.bmp");

    clickFile("b.bmp");

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(picked("b.bmp"))) << messages.front().toStdString();
    EXPECT_EQ(window->job.ViewCount, 1);
    EXPECT_EQ(text(2), QString());
    clickFile("c.bmp");
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(text(2), QString("c"));
}

TEST_F(FileSelection, LosingPictureOneEmptiesEverySlot) {
    listPictures({"a.bmp", "b.bmp", "c.bmp"});
    pick({"a.bmp", "b.bmp"});
    std::filesystem::remove(pictures / "a.bmp");

    clickFile("c.bmp");

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(picked("a.bmp")));
    EXPECT_EQ(window->job.ViewCount, 0);
    EXPECT_EQ(window->job.Views, 0.0f);
    for (int slot = 1; slot <= 4; ++slot) {
        EXPECT_EQ(text(slot), QString()) << slot;
        EXPECT_FALSE(previewShown(slot)) << slot;
        EXPECT_EQ(window->LabXY[slot - 1]->text(), QString()) << slot;
    }
    EXPECT_EQ(window->job.ActiveSlot, 1);
    EXPECT_EQ(focused(), window->Text1);
}

TEST_F(FileSelection, TheFileListFollowsTheFolderList) {
    listPictures({"a.bmp"});
    std::filesystem::create_directory(pictures / "sub");
    writeFile(pictures / "sub" / "note.txt", {1});
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(path(pictures / "sub" / "z.bmp"), "BMP"));
    ASSERT_TRUE(window->Dir1->setPath(path(pictures / "sub")));
    EXPECT_EQ(window->File1->path(), path(pictures / "sub"));
    ASSERT_EQ(window->File1->count(), 1);
    EXPECT_EQ(window->File1->item(0)->text(), QString("z.bmp"));
    clickFile("z.bmp");
    EXPECT_EQ(window->job.InPath(1), (pictures / "sub" / "z.bmp").string());
}

TEST_F(FileSelection, TheNextWindowOpensTheFolderLastUsed) {
    std::filesystem::create_directory(pictures / "sub");
    listPictures({"a.bmp"});
    ASSERT_TRUE(window->Dir1->setPath(path(pictures / "sub")));
    open();
    EXPECT_EQ(window->Dir1->path(), path(pictures / "sub"));
    EXPECT_EQ(window->File1->path(), path(pictures / "sub"));
    // A folder gone since: the current folder, without a word.
    window.reset();
    std::filesystem::remove(pictures / "sub");
    open();
    EXPECT_EQ(window->Dir1->path(), QDir::currentPath());
    EXPECT_TRUE(messages.empty());
}

TEST_F(FileSelection, AFolderGoneBeforeOpeningIsReportedAndTheListsStayUsable) {
    std::filesystem::create_directory(pictures / "gone");
    listPictures({"a.bmp"});
    const QList<QListWidgetItem*> entries = window->Dir1->findItems("gone", Qt::MatchEndsWith);
    ASSERT_EQ(entries.size(), 1);
    std::filesystem::remove(pictures / "gone");
    const QPoint at = window->Dir1->visualItemRect(entries.front()).center();
    QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(window->Dir1->viewport(), Qt::LeftButton, {}, at);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(picked("gone")));
    EXPECT_EQ(window->Dir1->path(), path(pictures.path()));
    EXPECT_EQ(window->File1->path(), path(pictures.path()));
    clickFile("a.bmp");
    EXPECT_EQ(window->job.ViewCount, 1);
}

// The drive list's entry for the volume holding a folder.
int driveIndexOf(const DriveList* drives, const QString& folder) {
    return drives->findData(QStorageInfo(folder).rootPath());
}

// An entry of a volume that holds none of the given folders; -1 if none.
int otherDrive(const DriveList* drives, const QStringList& folders) {
    for (int i = 0; i < drives->count(); ++i) {
        if (std::none_of(folders.begin(), folders.end(),
                         [&](const QString& f) { return driveIndexOf(drives, f) == i; })) {
            return i;
        }
    }
    return -1;
}

// Chooses a drive with the arrow keys, as a user of the closed list does.
void chooseDrive(DriveList* drives, int index) {
    drives->setFocus();
    while (drives->currentIndex() < index) {
        QTest::keyClick(drives, Qt::Key_Down);
    }
    while (drives->currentIndex() > index) {
        QTest::keyClick(drives, Qt::Key_Up);
    }
}

TEST_F(FileSelection, TheFolderListFollowsTheDrive) {
    listPictures({"a.bmp"});
    DriveList* drives = window->Drive1;
    const QString current = QDir::currentPath();
    const int home = driveIndexOf(drives, current);
    ASSERT_GE(home, 0);
    const int other = otherDrive(drives, {current, path(pictures.path())});
    if (other < 0) {
        GTEST_SKIP() << "only one volume is mounted";
    }
    const QString otherRoot = drives->itemData(other).toString();

    chooseDrive(drives, other);
    EXPECT_EQ(drives->path(), otherRoot);
    EXPECT_EQ(window->Dir1->path(), QDir::cleanPath(otherRoot));
    EXPECT_EQ(window->File1->path(), QDir::cleanPath(otherRoot));

    // Back on the drive of the current folder, the lists open that folder.
    chooseDrive(drives, home);
    EXPECT_EQ(window->Dir1->path(), current);
    EXPECT_EQ(window->File1->path(), current);
    EXPECT_TRUE(messages.empty());
}

// Leaves the process's current folder where it was when the test ends.
class CurrentFolderKeeper {
  public:
    CurrentFolderKeeper() : saved_(std::filesystem::current_path()) {}
    ~CurrentFolderKeeper() { std::filesystem::current_path(saved_); }

  private:
    std::filesystem::path saved_;
};

TEST_F(FileSelection, ADriveWhoseCurrentFolderIsGoneOpensAtItsRoot) {
    listPictures({"a.bmp"});
    DriveList* drives = window->Drive1;
    const CurrentFolderKeeper keeper;
    const std::filesystem::path doomed = pictures / "doomed";
    std::filesystem::create_directory(doomed);
    std::filesystem::current_path(doomed);
    std::filesystem::remove(doomed);

    const int home = driveIndexOf(drives, path(pictures.path()));
    ASSERT_GE(home, 0);
    const QString root = drives->itemData(home).toString();
    const int other = otherDrive(drives, {path(pictures.path())});
    if (other < 0) {
        GTEST_SKIP() << "only one volume is mounted";
    }
    chooseDrive(drives, other);
    chooseDrive(drives, home);
    EXPECT_EQ(window->Dir1->path(), QDir::cleanPath(root));
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace tovrel::test
