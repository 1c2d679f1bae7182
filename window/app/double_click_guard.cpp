#include "app/double_click_guard.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

namespace tovrel {

DoubleClickGuard::DoubleClickGuard(QAbstractButton* button) : QObject(button) {
    button->installEventFilter(this);
}

void DoubleClickGuard::armedByLastPress() {
    armingPress_ = lastPress_;
}

bool DoubleClickGuard::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        return true; // the button is not pressed, so its release clicks nothing
    }
    if (event->type() != QEvent::MouseButtonPress) {
        return false;
    }
    const unsigned long at = static_cast<QMouseEvent*>(event)->timestamp();
    const auto interval =
        static_cast<unsigned long>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    const bool tooSoon = armingPress_ && at >= *armingPress_ && at - *armingPress_ < interval;
    lastPress_ = at;
    if (tooSoon) {
        armingPress_.reset();
        return true;
    }
    return false;
}

} // namespace tovrel
