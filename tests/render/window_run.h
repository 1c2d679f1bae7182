#pragma once
// Putting a run's settings into the window's boxes, as a user leaves them
// before pressing the start button.

#include <QString>

namespace tovrel {
class mainS;
}

namespace tovrel::test {

struct WindowSettings {
    QString pitch = "0.5";
    QString sharpness = "3 倍清晰";
    QString width = "2"; // 2 x 1.5 cm at 0.5 mm and 3 x 2 pixels per lens: 240 x 180
    QString height = "1.5";
    // 0: white gaps off; i: on, with the list's item i chosen; -1: on, no item
    // chosen.
    int whiteGap = 0;
    bool horizontal = false;
    QString output = {};
    // Not empty: printing at the printer's resolution, checked by a click and
    // typed into its box.
    QString printerPpi = {};
    // Not empty: the width typed key by key with the proportion lock on, the
    // height left to follow it.
    QString typedWidth = {};
};

// Sharpness first, then pitch, sizes with the proportion lock off (both are
// taken as given), direction, white gaps, printer resolution, output name.
void enterSettings(mainS& window, const WindowSettings& settings);

} // namespace tovrel::test
