#include "app/progress_scroll_bar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace tovrel {

ProgressScrollBar::ProgressScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setRange(0, 1000);
    setValue(0);
    setFocusPolicy(Qt::StrongFocus);
}

void ProgressScrollBar::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void ProgressScrollBar::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ProgressScrollBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ProgressScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void ProgressScrollBar::wheelEvent(QWheelEvent* event) {
    event->accept();
}

} // namespace tovrel
