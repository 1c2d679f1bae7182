#pragma once
// A loaded main window whose lists show a folder of test pictures, and the
// user's ways of choosing them: clicks into the file list and into the name
// boxes.

#include "tests/app/window_fixture.h"

#include <QColor>
#include <QString>
#include <filesystem>
#include <string>

namespace tovrel::test {

class PickTest : public WindowTest {
  protected:
    void SetUp() override;

    // Writes a picture with Qt's BMP writer into the pictures folder.
    std::filesystem::path writePicture(const std::string& name, int width, int height,
                                       int dotsPerMetre = 2835, QColor colour = Qt::darkCyan);
    // Opens the pictures folder in the folder list, which lists its pictures.
    void openPictures();
    // A mouse click on a file of the file list.
    void clickFile(const QString& name);
    // A mouse click into the name box of a slot, which gives it the focus.
    void clickNameBox(int slot);

    QString path(const std::filesystem::path& file) const {
        return QString::fromStdString(file.string());
    }

    TempDir pictures;
};

} // namespace tovrel::test
