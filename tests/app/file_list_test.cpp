// The file list: which names it offers, in which order, and how a choice is
// told.

#include "app/file_list.h"
#include "tests/app/qt_print.h"
#include "tests/support/temp_dir.h"

#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

QStringList shown(const QListWidget& list) {
    QStringList names;
    for (int i = 0; i < list.count(); ++i) {
        names << list.item(i)->text();
    }
    return names;
}

void touch(const std::filesystem::path& file) {
    writeFile(file, {0x42, 0x4D});
}

struct Listing {
    const char* label;
    std::vector<const char*> files;
    std::vector<const char*> folders;
    QStringList offered;
};

class BmpFilter : public ::testing::TestWithParam<Listing> {};

TEST_P(BmpFilter, OffersOnlyBmpFilesSortedByName) {
    TempDir dir;
    for (const char* name : GetParam().files) {
        touch(dir / name);
    }
    for (const char* name : GetParam().folders) {
        std::filesystem::create_directory(dir / name);
    }
    FileList list;
    ASSERT_TRUE(list.setPath(QString::fromStdString(dir.path().string())));
    EXPECT_EQ(shown(list), GetParam().offered);
    EXPECT_TRUE(list.fileName().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, BmpFilter,
    ::testing::Values(
        Listing{"AnyCase", {"b.bmp", "A.BMP", "c.Bmp"}, {}, {"A.BMP", "b.bmp", "c.Bmp"}},
        Listing{
            "SortedIgnoringCase", {"a2.bmp", "A1.bmp", "B.bmp"}, {}, {"A1.bmp", "a2.bmp", "B.bmp"}},
        Listing{"OtherEndings",
                {"d.txt", "e.bmp.txt", "f.bmpx", "g.bm", "bmp", "h.bmp"},
                {},
                {"h.bmp"}},
        Listing{"FoldersLeftOut", {"k.bmp"}, {"folder.bmp", "sub"}, {"k.bmp"}},
        Listing{"ChineseNames", {"猫.bmp", "狗.BMP"}, {}, {"狗.BMP", "猫.bmp"}},
        Listing{"OtherFormats",
                {"a.PNG", "b.jpg", "c.JPEG", "d.tif", "e.Tiff", "f.gif", "g.jpe", "h.tiff.x"},
                {},
                {"a.PNG", "b.jpg", "c.JPEG", "d.tif", "e.Tiff"}},
        Listing{"NoPictures", {"picture.gif", "notes"}, {"x"}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

class FileListUse : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"one.bmp", "three.bmp", "two.bmp"}) {
            touch(dir / name);
        }
        ASSERT_TRUE(list.setPath(QString::fromStdString(dir.path().string())));
        list.resize(200, 200);
        list.show();
    }
    TempDir dir;
    FileList list;
};

TEST_F(FileListUse, AClickChoosesAFile) {
    QSignalSpy clicked(&list, &FileList::fileClicked);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(list.fileName(), QString("three.bmp"));
}

TEST_F(FileListUse, ArrowKeysChooseToo) {
    list.setCurrentRow(0);
    QSignalSpy clicked(&list, &FileList::fileClicked);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(list.fileName(), QString("three.bmp"));
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(list.fileName(), QString("two.bmp"));
    // At the end already: no move, no choice.
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(clicked.count(), 2);
}

TEST_F(FileListUse, PathChangesAreToldOnce) {
    TempDir other;
    touch(other / "z.BMP");
    QSignalSpy changed(&list, &FileList::pathChanged);
    ASSERT_TRUE(list.setPath(QString::fromStdString(other.path().string())));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.path(), QString::fromStdString(other.path().string()));
    EXPECT_EQ(shown(list), QStringList{"z.BMP"});
    // Listing the same folder again shows new files but is no change.
    touch(other / "y.bmp");
    ASSERT_TRUE(list.setPath(QString::fromStdString(other.path().string())));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(shown(list), (QStringList{"y.bmp", "z.BMP"}));
}

TEST_F(FileListUse, AMissingFolderIsReportedAndTheListKept) {
    const QString before = list.path();
    QSignalSpy failed(&list, &FileList::listingFailed);
    QSignalSpy changed(&list, &FileList::pathChanged);
    const QString gone = QString::fromStdString((dir / "gone").string());
    EXPECT_FALSE(list.setPath(gone));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.front().front().toString().contains(gone));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(list.path(), before);
    EXPECT_EQ(shown(list), (QStringList{"one.bmp", "three.bmp", "two.bmp"}));
}

} // namespace
} // namespace tovrel::test
