#include "app/app_identity.h"
#include "app/main_window.h"
#include "params/data_location.h"

#include <QApplication>
#include <csignal>
#include <cstdlib>

int main(int argc, char** argv) {
    // A write past a file-size limit then fails with an error the run reports,
    // instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    tovrel::nameApplication();
    const tovrel::DataLocation data = tovrel::locateDataFolder(
        QCoreApplication::applicationDirPath().toStdString(), tovrel::processDataEnvironment());
    // Decoded pictures go to the user's cache folder.
    tovrel::mainS window(
        data.folder, tovrel::cacheFolderFrom(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    if (!data.problem.empty()) {
        window.showMessage(QString::fromStdString(data.problem));
    }
    window.show();
    return app.exec();
}
