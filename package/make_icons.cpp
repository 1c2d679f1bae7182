// Writes the program's icon in the hicolor theme's sizes:
// make_icons FOLDER gives FOLDER/NxN/apps/tovrel.png.

#include "app/app_icon.h"

#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons FOLDER\n");
        return 2;
    }
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString size = QString("%1x%1").arg(side);
        const QString folder = QString::fromLocal8Bit(argv[1]) + "/" + size + "/apps";
        if (!QDir().mkpath(folder) || !tovrel::drawAppIcon(side).save(folder + "/tovrel.png")) {
            std::fprintf(stderr, "make_icons: cannot write %s/tovrel.png\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
