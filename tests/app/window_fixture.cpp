#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QComboBox>

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

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

} // namespace tovrel::test
