#include "tests/render/window_run.h"

#include "app/main_window.h"
#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "tests/params/combo_input.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest/QTest>

namespace tovrel::test {

namespace {

// The white-gap list as the sharpness box's handling leaves it: items i/v
// for i = 1 to v - 1. Filled here only where no such handling filled it.
void ensureWhiteGapItems(mainS& w) {
    if (w.Combo1->count() > 0) {
        return;
    }
    const double v = leadingNumber(w.Combo4->currentText().toStdString());
    const auto items = static_cast<int>(roundHalfEven(v - 1));
    for (int i = 1; i <= items; ++i) {
        w.Combo1->addItem(QString::number(i) + "/" + QString::fromStdString(formatDouble(v)));
    }
}

} // namespace

void enterSettings(mainS& w, const WindowSettings& s) {
    w.Combo4->setEditText(s.sharpness);
    w.Combo3->setEditText(s.pitch);
    QApplication::setActiveWindow(&w);
    if (s.typedWidth.isEmpty()) {
        w.YBL->setChecked(false);
        w.CombK->setEditText(s.width);
        w.CombG->setEditText(s.height);
    } else {
        w.YBL->setChecked(true);
        typeInto(w.CombK, s.typedWidth);
    }
    (s.horizontal ? w.Op_h : w.Op_s)->setChecked(true);
    ensureWhiteGapItems(w);
    w.LB1->setChecked(s.whiteGap != 0);
    w.Combo1->setCurrentIndex(s.whiteGap > 0 ? s.whiteGap - 1 : -1);
    if (!s.printerPpi.isEmpty()) {
        QTest::mouseClick(w.PrinterRes, Qt::LeftButton);
        typeInto(w.ComboRes, s.printerPpi);
    }
    w.TextOUT->setText(s.output);
}

} // namespace tovrel::test
