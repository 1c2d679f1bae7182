// Runs the window tests inside a QApplication on the offscreen platform, named
// as the program names itself, with settings kept away from the real user's.

#include "app/app_identity.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    tovrel::nameApplication();
    // Every test process keeps settings of its own: tests that run side by
    // side must not see each other's choices (a printer resolution left on
    // by one would change another's run).
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        "/tovrel-test-" + QString::number(QCoreApplication::applicationPid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, own);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(own).removeRecursively();
    return result;
}
