// The drive list: the mounted volumes, the one holding a folder chosen.

#include "app/drive_list.h"
#include "tests/app/qt_print.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

bool holds(const QString& root, const QString& folder) {
    return folder == root || folder.startsWith(root.endsWith('/') ? root : root + '/');
}

TEST(DriveList, ChoosesTheVolumeHoldingAFolder) {
    DriveList drives;
    ASSERT_GT(drives.count(), 0);
    EXPECT_TRUE(drives.path().isEmpty());
    QSignalSpy changed(&drives, &DriveList::pathChanged);
    const QString current = QDir::currentPath();
    drives.setPath(current);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(holds(drives.path(), current)) << drives.path().toStdString();
    EXPECT_EQ(drives.currentData().toString(), drives.path());
    // Another folder on the same volume is no change.
    drives.setPath(current + "/.");
    EXPECT_EQ(changed.count(), 1);
}

TEST(DriveList, TheRootVolumeIsOffered) {
    DriveList drives;
    drives.setPath("/");
    EXPECT_EQ(drives.path(), QString("/"));
    EXPECT_EQ(drives.currentData().toString(), QString("/"));
    EXPECT_GE(drives.findData(QString("/")), 0);
}

} // namespace
} // namespace tovrel::test
