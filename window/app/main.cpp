#include "app/main_window.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv) {
    // A write past a file-size limit then fails with an error the run reports,
    // instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovrel");
    // The data file lives next to the program file.
    tovrel::mainS window(QCoreApplication::applicationDirPath().toStdString());
    window.show();
    return app.exec();
}
