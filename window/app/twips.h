#pragma once
// Window positions and sizes are laid out in twips (1/1440 inch); the screen
// counts pixels, 15 twips to the pixel at 96 dots per inch.

#include <QRect>
#include <QSize>

namespace tovrel {

inline constexpr int kTwipsPerPixel = 15;

// Twips as whole pixels, to the nearest pixel.
int twipsToPixels(int twips);

QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

} // namespace tovrel
