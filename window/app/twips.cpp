#include "app/twips.h"

#include "common/rounding.h"

namespace tovrel {

int twipsToPixels(int twips) {
    // Every window dimension is far inside the 32-bit range.
    return *roundToLong(static_cast<double>(twips) / kTwipsPerPixel);
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QSize twipsSize(int width, int height) {
    return QSize(twipsToPixels(width), twipsToPixels(height));
}

} // namespace tovrel
