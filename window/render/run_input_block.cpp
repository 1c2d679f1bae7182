#include "render/run_input_block.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace tovrel {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

RunInputBlock::RunInputBlock(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

RunInputBlock::~RunInputBlock() {
    keepAlive();
    QCoreApplication::instance()->removeEventFilter(this);
}

void RunInputBlock::keepAlive() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool RunInputBlock::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Close) {
        // Closing the window would destroy what the run is using; a close
        // request of the user is dropped like any other input. An event
        // that is let through unanswered counts as agreed, so say no.
        if (receiver == window_ || receiver == window_->windowHandle()) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (!isUserInput(type)) {
        return false;
    }
    if (receiver->isWidgetType()) {
        return static_cast<QWidget*>(receiver)->window() == window_;
    }
    return receiver == window_->windowHandle();
}

} // namespace tovrel
