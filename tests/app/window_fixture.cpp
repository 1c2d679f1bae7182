#include "tests/app/window_fixture.h"

#include "colour/colour_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

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

ColourDialog* WindowTest::openColourDialog() {
    QMenu* menu = window->CommandMore->menu();
    QTimer::singleShot(0, menu, [menu] {
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().at(1)).center());
    });
    QTest::mouseClick(window->CommandMore, Qt::LeftButton);
    return window->findChild<ColourDialog*>();
}

void WindowTest::chooseOutputProfile(const std::string& profile) {
    ColourDialog* dialog = openColourDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->fileHook = [profile] { return QString::fromStdString(profile); };
    QTest::mouseClick(dialog->CommandOutputFile, Qt::LeftButton);
    // OK clicked from within a running event loop, as a user's click comes:
    // the dialog, deleted once closed, must outlive its own signals.
    std::vector<std::string> order;
    {
        QObject watch;
        QObject::connect(dialog, &QDialog::finished, &watch,
                         [&order] { order.push_back("finished"); });
        QObject::connect(dialog, &QObject::destroyed, &watch,
                         [&order] { order.push_back("destroyed"); });
        QEventLoop loop;
        QTimer::singleShot(0, dialog->CommandOK, [ok = dialog->CommandOK, &loop] {
            QTest::mouseClick(ok, Qt::LeftButton);
            loop.quit();
        });
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCoreApplication::processEvents(); // what follows the dialog's OK
    EXPECT_EQ(order, (std::vector<std::string>{"finished", "destroyed"}));
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

} // namespace tovrel::test
