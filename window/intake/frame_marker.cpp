#include "intake/frame_marker.h"

#include <QPainter>
#include <QPen>

namespace tovrel {

FrameMarker::FrameMarker(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FrameMarker::mark(const QRect& area) {
    setGeometry(area);
    raise();
    show();
    update();
}

void FrameMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect edge = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(edge);
    QPen dashes(Qt::black, 1, Qt::DashLine);
    painter.setPen(dashes);
    painter.drawRect(edge);
}

} // namespace tovrel
