#pragma once
// The program's icon, drawn by the program: the window's, and the sizes the
// package installs.

#include <QIcon>
#include <QImage>

namespace tovrel {

// The icon at side x side pixels in full colour, as the package installs it.
QImage drawAppIcon(int side);
// The window's icon: 32 x 32 in 256 colours.
QImage appIconImage();
QIcon appIcon();

} // namespace tovrel
