// Print width and height kept in the common frame's proportion, the white-gap
// switch and the direction mark at the end of the output name.

#include "app/main_window.h"
#include "app/set_text.h"
#include "params/box_number.h"
#include "params/print_size.h"
#include "params/size_exchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace tovrel {

namespace {

// The width and height boxes as the exchange sees them.
class WindowSizeBoxes : public SizeBoxes {
  public:
    WindowSizeBoxes(QComboBox* width, QComboBox* height) : width_(width), height_(height) {}
    std::string width() const override { return width_->currentText().toStdString(); }
    std::string height() const override { return height_->currentText().toStdString(); }
    void setWidth(const std::string& text) override {
        setTextIfChanged(width_, QString::fromStdString(text));
    }
    void setHeight(const std::string& text) override {
        setTextIfChanged(height_, QString::fromStdString(text));
    }

  private:
    QComboBox* width_;
    QComboBox* height_;
};

// Whether the box's text changed by the user's own editing: a text set by the
// program clears the edit field's modified flag.
bool typedInto(const QComboBox* box) {
    return box->lineEdit() != nullptr && box->lineEdit()->isModified();
}

} // namespace

void mainS::CombK_Change() {
    WindowSizeBoxes boxes(CombK, CombG);
    if (sizeExchange_.widthChanged(boxes, job.Aspect, YBL->isChecked(), typedInto(CombK))) {
        resetStartButton();
    }
}

void mainS::CombG_Change() {
    WindowSizeBoxes boxes(CombK, CombG);
    if (sizeExchange_.heightChanged(boxes, job.Aspect, YBL->isChecked(), typedInto(CombG))) {
        resetStartButton();
    }
}

void mainS::LB1_Click() {
    if (LB1->isChecked()) {
        enableWhiteGapList();
    } else {
        Combo1->setEnabled(false);
    }
    writeCredits();
}

void mainS::enableWhiteGapList() {
    Combo1->setEnabled(true);
    if (Combo1->count() > 0) {
        Combo1->setCurrentIndex(0);
    }
}

void mainS::Op_h_Click() {
    setTextIfChanged(
        TextOUT, QString::fromStdString(withDirectionMark(TextOUT->text().toStdString(), true)));
}

void mainS::Op_s_Click() {
    setTextIfChanged(
        TextOUT, QString::fromStdString(withDirectionMark(TextOUT->text().toStdString(), false)));
}

} // namespace tovrel
