#include "tests/app/window_fixture.h"

#include <QApplication>

namespace tovrel::test {

void WindowTest::open() {
    window = std::make_unique<mainS>(dataDir.path());
    window->messageHook = [this](const QString& text) { messages.push_back(text); };
    window->show();
}

void WindowTest::activate() {
    QApplication::setActiveWindow(window.get());
    window->activateWindow();
    QCoreApplication::processEvents();
}

} // namespace tovrel::test
