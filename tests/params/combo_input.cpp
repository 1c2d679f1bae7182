#include "tests/params/combo_input.h"

#include "tests/app/typing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest/QTest>

namespace tovrel::test {

namespace {

void focusAndSelectAll(QComboBox* box) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
}

QAbstractItemView* openList(QComboBox* box) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_F4);
    return box->view();
}

} // namespace

void typeInto(QComboBox* box, const QString& text) {
    focusAndSelectAll(box);
    typeText(box, text);
}

void pasteInto(QComboBox* box, const QString& text) {
    QApplication::clipboard()->setText(text);
    focusAndSelectAll(box);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void pickByKeys(QComboBox* box, int index) {
    QAbstractItemView* list = openList(box);
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) {
        QTest::keyClick(list, Qt::Key_Down);
    }
    QTest::keyClick(list, Qt::Key_Return);
}

void pickByClick(QComboBox* box, int index) {
    QAbstractItemView* list = openList(box);
    const QRect item = list->visualRect(box->model()->index(index, box->modelColumn()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
}

} // namespace tovrel::test
