#include "app/main_window.h"

#include <QApplication>
#include <csignal>
#include <cstdlib>

int main(int argc, char** argv) {
    // A write past a file-size limit then fails with an error the run reports,
    // instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovrel");
    // The data file lives next to the program file; decoded pictures go to
    // the user's cache folder.
    tovrel::mainS window(
        QCoreApplication::applicationDirPath().toStdString(),
        tovrel::cacheFolderFrom(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    window.show();
    return app.exec();
}
