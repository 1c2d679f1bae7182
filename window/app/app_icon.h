#pragma once
// The window's icon: 32 x 32 pixels in 256 colours, drawn by the program.

#include <QIcon>
#include <QImage>

namespace tovrel {

QImage appIconImage();
QIcon appIcon();

} // namespace tovrel
