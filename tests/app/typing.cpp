#include "tests/app/typing.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QWidget>
#include <QtTest/QTest>

namespace tovrel::test {

void typeText(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(box, &commit);
        }
    }
}

} // namespace tovrel::test
