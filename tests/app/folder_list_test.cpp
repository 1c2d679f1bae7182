// The folder list: ancestors, the open folder and its subfolders, and opening
// folders by double-click or Enter.

#include "app/folder_list.h"
#include "tests/app/qt_print.h"
#include "tests/support/temp_dir.h"

#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Every entry's folder, top to bottom.
QStringList folders(const QListWidget& list) {
    QStringList paths;
    for (int i = 0; i < list.count(); ++i) {
        paths << list.item(i)->data(Qt::UserRole).toString();
    }
    return paths;
}

QStringList names(const QListWidget& list) {
    QStringList shown;
    for (int i = 0; i < list.count(); ++i) {
        shown << list.item(i)->text().trimmed();
    }
    return shown;
}

// The folder and all above it, root first.
QStringList ancestry(const std::filesystem::path& folder) {
    QStringList chain;
    std::filesystem::path walked;
    for (const auto& part : folder) {
        walked /= part;
        chain << qpath(walked);
    }
    return chain;
}

class FolderListUse : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"b", "A", "c"}) {
            std::filesystem::create_directory(dir / name);
        }
        writeFile(dir / "file.txt", {1});
        writeFile(dir / "pic.bmp", {1});
        std::filesystem::create_directory(dir / "b" / "inner");
        ASSERT_TRUE(list.setPath(qpath(dir.path())));
        list.resize(240, 400);
        list.show();
    }
    // A double-click: press and release, then the second press and release.
    void doubleClick(int row) {
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    TempDir dir;
    FolderList list;
};

TEST_F(FolderListUse, ShowsAncestorsThenSubfolders) {
    const QStringList chain = ancestry(dir.path());
    QStringList expected = chain;
    expected << qpath(dir / "A") << qpath(dir / "b") << qpath(dir / "c");
    EXPECT_EQ(folders(list), expected);
    EXPECT_EQ(list.currentRow(), chain.size() - 1);
    EXPECT_EQ(list.path(), qpath(dir.path()));
    const QStringList shown = names(list);
    EXPECT_EQ(shown.front(), QString("/"));
    EXPECT_EQ(shown.mid(chain.size()), (QStringList{"A", "b", "c"}));
    // Deeper entries stand further to the right.
    EXPECT_LT(list.item(0)->text().indexOf('/'), list.item(1)->text().indexOf(shown[1]));
}

TEST_F(FolderListUse, DoubleClickOpensASubfolder) {
    const int depth = static_cast<int>(ancestry(dir.path()).size());
    QSignalSpy changed(&list, &FolderList::pathChanged);
    doubleClick(depth + 1); // "b"
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.path(), qpath(dir / "b"));
    QStringList expected = ancestry(dir / "b");
    expected << qpath(dir / "b" / "inner");
    EXPECT_EQ(folders(list), expected);
}

TEST_F(FolderListUse, DoubleClickOnAnAncestorOpensIt) {
    ASSERT_TRUE(list.setPath(qpath(dir / "b" / "inner")));
    const int depth = static_cast<int>(ancestry(dir.path()).size());
    QSignalSpy changed(&list, &FolderList::pathChanged);
    doubleClick(depth - 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.path(), qpath(dir.path()));
}

TEST_F(FolderListUse, EnterOpensTheSelectedFolder) {
    const int depth = static_cast<int>(ancestry(dir.path()).size());
    list.setCurrentRow(depth); // "A"
    QSignalSpy changed(&list, &FolderList::pathChanged);
    EXPECT_EQ(list.path(), qpath(dir.path()));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.path(), qpath(dir / "A"));
}

TEST_F(FolderListUse, OpeningTheOpenFolderIsNoChange) {
    QSignalSpy changed(&list, &FolderList::pathChanged);
    ASSERT_TRUE(list.setPath(qpath(dir.path()) + "/./b/.."));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(FolderListUse, AFolderGoneMeanwhileIsReportedAndTheListStaysUsable) {
    const int depth = static_cast<int>(ancestry(dir.path()).size());
    std::filesystem::remove(dir / "c");
    QSignalSpy failed(&list, &FolderList::listingFailed);
    QSignalSpy changed(&list, &FolderList::pathChanged);
    doubleClick(depth + 2); // "c", removed after listing
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.front().front().toString().contains(qpath(dir / "c")));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(list.path(), qpath(dir.path()));
    doubleClick(depth); // "A" still opens
    EXPECT_EQ(list.path(), qpath(dir / "A"));
}

TEST_F(FolderListUse, AFileIsNoFolder) {
    QSignalSpy failed(&list, &FolderList::listingFailed);
    EXPECT_FALSE(list.setPath(qpath(dir / "file.txt")));
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(list.path(), qpath(dir.path()));
}

} // namespace
} // namespace tovrel::test
