#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tovrel");
    // The data file lives next to the program file.
    tovrel::mainS window(QCoreApplication::applicationDirPath().toStdString());
    window.show();
    return app.exec();
}
