// Print width and height kept in the common frame's proportion, the white-gap
// switch and the direction mark at the end of the output name.

#include "app/main_window.h"
#include "app/set_text.h"
#include "params/box_number.h"
#include "params/print_size.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace tovrel {

namespace {

class DepthScope {
  public:
    explicit DepthScope(int& depth) : depth_(++depth) {}
    ~DepthScope() { --depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    bool mayAnswer() const { return depth_ <= kMaxSizeExchangeDepth; }

  private:
    int& depth_;
};

void setSizeText(QComboBox* box, const std::optional<std::string>& text) {
    if (text) {
        setTextIfChanged(box, QString::fromStdString(*text));
    }
}

} // namespace

void mainS::CombK_Change() {
    if (job.Aspect == 0) {
        return;
    }
    const DepthScope scope(sizeExchangeDepth_);
    setSizeText(CombK, cappedWidthText(boxNumber(CombK)));
    if (YBL->isChecked() && scope.mayAnswer()) {
        setSizeText(CombG, heightTextForWidth(boxNumber(CombK), job.Aspect));
    }
    Command1->setText("确定");
}

void mainS::CombG_Change() {
    if (job.Aspect == 0) {
        return;
    }
    const DepthScope scope(sizeExchangeDepth_);
    if (YBL->isChecked() && scope.mayAnswer()) {
        setSizeText(CombK, widthTextForHeight(boxNumber(CombG), job.Aspect));
    }
    Command1->setText("确定");
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
