#include "app/wheel_guard.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace tovrel {

namespace {

class WheelGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) {
            return false;
        }
        const auto* widget = static_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && (focus == widget || widget->isAncestorOf(focus))) {
            return false;
        }
        // Left to the window behind, which scrolls nothing.
        event->ignore();
        return true;
    }
};

void guard(QWidget* widget, WheelGuard* filter) {
    if (widget->focusPolicy() == Qt::WheelFocus) {
        widget->setFocusPolicy(Qt::StrongFocus);
    }
    widget->installEventFilter(filter);
}

} // namespace

void guardWheel(QWidget* container) {
    auto* filter = new WheelGuard(container);
    const auto direct = Qt::FindDirectChildrenOnly;
    for (QComboBox* box : container->findChildren<QComboBox*>(direct)) {
        guard(box, filter);
    }
    for (QAbstractButton* button : container->findChildren<QAbstractButton*>(direct)) {
        if (button->isCheckable()) {
            guard(button, filter);
        }
    }
    for (QAbstractSlider* bar : container->findChildren<QAbstractSlider*>(direct)) {
        guard(bar, filter);
    }
}

} // namespace tovrel
