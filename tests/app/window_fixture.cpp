#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QSettings>

namespace tovrel::test {

WindowTest::WindowTest() {
    // Each test starts from no user settings (kept in the test folder).
    QSettings().clear();
}

void WindowTest::open() {
    window = std::make_unique<mainS>(dataDir.path());
    window->messageHook = [this](const QString& text) { messages.push_back(text); };
    window->questionHook = [this](const QString& text) {
        questions.push_back(text);
        return answer;
    };
    window->show();
}

WindowTest::~WindowTest() {
    window.reset();
    QSettings().clear();
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
