#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace tovrel {

QImage drawAppIcon(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid, whatever the size.
    painter.scale(side / 32.0, side / 32.0);

    // A card whose columns alternate between two pictures, as an interlaced
    // print does, under a row of lens arcs.
    const QRectF card(3, 6, 26, 22);
    QPainterPath clip;
    clip.addRoundedRect(card, 3, 3);
    painter.setClipPath(clip);
    const std::array<QColor, 2> strips{QColor(208, 48, 48), QColor(40, 96, 200)};
    for (int x = 3, n = 0; x < 29; x += 2, ++n) {
        painter.fillRect(QRectF(x, 6, 2, 22), strips[static_cast<size_t>(n % 2)]);
    }
    painter.setClipping(false);
    painter.setPen(QPen(QColor(20, 20, 60), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card, 3, 3);
    painter.setPen(QPen(QColor(255, 255, 255), 1.2));
    for (int x = 4; x < 28; x += 6) {
        painter.drawArc(QRectF(x, 3, 6, 7), 0, 180 * 16);
    }
    painter.end();
    return image;
}

QImage appIconImage() {
    return drawAppIcon(32).convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

QIcon appIcon() {
    return QIcon(QPixmap::fromImage(appIconImage()));
}

} // namespace tovrel
