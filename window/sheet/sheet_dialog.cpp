#include "sheet/sheet_dialog.h"

#include "common/number_format.h"
#include "sheet/sheet_marks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tovrel {

namespace {

constexpr int kDrawing = 320; // the drawing's side in screen pixels
constexpr const char* kCustom = "自定义";

QDoubleSpinBox* millimetres(QWidget* parent, const char* name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, kMaxBleedMm);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(" mm");
    return box;
}

QString mm(double value) {
    return QString::fromStdString(formatDouble(std::round(value * 100) / 100));
}

} // namespace

SheetDialog::SheetDialog(Window window, QWidget* parent)
    : QDialog(parent), window_(std::move(window)) {
    setWindowTitle("拼版");
    CheckSheet = new QCheckBox("输出整张印刷纸（多张卡片排在一个光栅网格上）", this);
    CheckSheet->setObjectName("CheckSheet");
    ComboPaper = new QComboBox(this);
    ComboPaper->setObjectName("ComboPaper");
    for (const PaperPreset& preset : kPaperPresets) {
        ComboPaper->addItem(preset.name);
    }
    ComboPaper->addItem(kCustom);
    SpinPaperW = new QDoubleSpinBox(this);
    SpinPaperH = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* side : {SpinPaperW, SpinPaperH}) {
        side->setRange(1, 50);
        side->setDecimals(1);
        side->setSuffix(" cm");
    }
    SpinPaperW->setObjectName("SpinPaperW");
    SpinPaperH->setObjectName("SpinPaperH");
    CheckAuto = new QCheckBox("尽量多", this);
    CheckAuto->setObjectName("CheckAuto");
    SpinRows = new QSpinBox(this);
    SpinColumns = new QSpinBox(this);
    for (QSpinBox* count : {SpinRows, SpinColumns}) {
        count->setRange(1, 100);
    }
    SpinRows->setObjectName("SpinRows");
    SpinColumns->setObjectName("SpinColumns");
    SpinGutter = millimetres(this, "SpinGutter");
    SpinBleed = millimetres(this, "SpinBleed");
    CheckMarks = new QCheckBox("裁切线、对位条和说明行", this);
    CheckMarks->setObjectName("CheckMarks");
    LabelDrawing = new QLabel(this);
    LabelDrawing->setObjectName("LabelDrawing");
    LabelDrawing->setFixedSize(kDrawing, kDrawing);
    LabelLayout = new QLabel(this);
    LabelLayout->setObjectName("LabelLayout");
    LabelLayout->setWordWrap(true);
    LabelLayout->setFixedWidth(kDrawing);

    auto* paper = new QHBoxLayout;
    paper->addWidget(ComboPaper);
    paper->addWidget(SpinPaperW);
    paper->addWidget(new QLabel("×", this));
    paper->addWidget(SpinPaperH);
    auto* copies = new QHBoxLayout;
    copies->addWidget(CheckAuto);
    copies->addWidget(SpinRows);
    copies->addWidget(new QLabel("行 ×", this));
    copies->addWidget(SpinColumns);
    copies->addWidget(new QLabel("列", this));
    auto* form = new QFormLayout;
    form->addRow(CheckSheet);
    form->addRow("纸张", paper);
    form->addRow("份数", copies);
    form->addRow("间距", SpinGutter);
    form->addRow("出血", SpinBleed);
    form->addRow(CheckMarks);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("SheetButtons");
    buttons->button(QDialogButtonBox::Ok)->setText("确定");
    buttons->button(QDialogButtonBox::Cancel)->setText("取消");
    auto* drawing = new QVBoxLayout;
    drawing->addWidget(LabelDrawing);
    drawing->addWidget(LabelLayout);
    drawing->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(form);
    columns->addLayout(drawing);
    auto* all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addWidget(buttons);

    showSettings(window_.press);
    const auto changed = [this] { redraw(); };
    connect(CheckSheet, &QCheckBox::toggled, this, [this](bool on) {
        // A sheet is cut: it gets the press's usual bleed unless one is set.
        if (on && SpinBleed->value() == 0) {
            SpinBleed->setValue(kSheetBleedMm);
        }
        redraw();
    });
    connect(ComboPaper, &QComboBox::currentIndexChanged, this, [this] {
        const int i = ComboPaper->currentIndex();
        if (i < static_cast<int>(std::size(kPaperPresets))) {
            SpinPaperW->setValue(kPaperPresets[i].widthMm / 10);
            SpinPaperH->setValue(kPaperPresets[i].heightMm / 10);
        }
        redraw();
    });
    for (QDoubleSpinBox* box : {SpinPaperW, SpinPaperH, SpinGutter, SpinBleed}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    }
    for (QSpinBox* box : {SpinRows, SpinColumns}) {
        connect(box, &QSpinBox::valueChanged, this, changed);
    }
    connect(CheckAuto, &QCheckBox::toggled, this, changed);
    connect(CheckMarks, &QCheckBox::toggled, this, changed);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        window_.apply(settings());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    redraw();
}

void SheetDialog::showSettings(const SheetSettings& press) {
    CheckSheet->setChecked(press.sheet);
    int preset = static_cast<int>(std::size(kPaperPresets));
    for (int i = 0; i < preset; ++i) {
        const PaperPreset& p = kPaperPresets[i];
        if (press.paperTurns && p.widthMm == press.paperWidthMm &&
            p.heightMm == press.paperHeightMm) {
            preset = i;
        }
    }
    const bool none = press.paperWidthMm <= 0;
    ComboPaper->setCurrentIndex(none ? 2 : preset); // SRA3 unless chosen
    SpinPaperW->setValue(none ? 32 : press.paperWidthMm / 10);
    SpinPaperH->setValue(none ? 45 : press.paperHeightMm / 10);
    CheckAuto->setChecked(press.rows == 0);
    SpinRows->setValue(std::max(press.rows, 1));
    SpinColumns->setValue(std::max(press.columns, 1));
    SpinGutter->setValue(press.gutterMm);
    SpinBleed->setValue(press.bleedMm);
    CheckMarks->setChecked(press.marks);
}

SheetSettings SheetDialog::settings() const {
    SheetSettings press = window_.press;
    press.sheet = CheckSheet->isChecked();
    const int i = ComboPaper->currentIndex();
    const bool preset = i < static_cast<int>(std::size(kPaperPresets));
    press.paperTurns = preset;
    press.paperWidthMm = preset ? kPaperPresets[i].widthMm : SpinPaperW->value() * 10;
    press.paperHeightMm = preset ? kPaperPresets[i].heightMm : SpinPaperH->value() * 10;
    press.rows = CheckAuto->isChecked() ? 0 : SpinRows->value();
    press.columns = CheckAuto->isChecked() ? 0 : SpinColumns->value();
    press.gutterMm = SpinGutter->value();
    press.bleedMm = SpinBleed->value();
    press.marks = CheckMarks->isChecked();
    return press;
}

void SheetDialog::redraw() {
    const bool custom = ComboPaper->currentText() == kCustom;
    SpinPaperW->setEnabled(custom);
    SpinPaperH->setEnabled(custom);
    SpinRows->setEnabled(!CheckAuto->isChecked());
    SpinColumns->setEnabled(!CheckAuto->isChecked());
    QImage image(kDrawing, kDrawing, QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    SheetSettings press = settings();
    press.sheet = true;
    const Result<SheetLayout> laid = window_.layoutOf(press);
    if (!laid) {
        LabelLayout->setText(QString::fromStdString(laid.message()));
        LabelDrawing->setPixmap(QPixmap::fromImage(image));
        return;
    }
    const SheetLayout& sheet = laid.value();
    const double scale = (kDrawing - 2) / double(std::max(sheet.width, sheet.height));
    QPainter painter(&image);
    painter.translate((kDrawing - sheet.width * scale) / 2, (kDrawing - sheet.height * scale) / 2);
    painter.scale(scale, scale);
    const auto rect = [](const PixelRect& r) {
        return QRectF(double(r.x0), double(r.y0), double(r.x1 - r.x0), double(r.y1 - r.y0));
    };
    painter.fillRect(QRectF(0, 0, sheet.width, sheet.height), Qt::white);
    for (const SheetCard& card : sheet.cards()) {
        painter.fillRect(rect(card.bleed), QColor(170, 200, 235));
        painter.fillRect(rect(card.trim), QColor(90, 140, 210));
    }
    const Result<SheetMarks> marks = SheetMarks::build(sheet, "");
    if (marks && sheet.marks) {
        for (const PixelRect& r : marks.value().cropMarks()) {
            // At least a screen pixel wide, so the marks show at this scale.
            const QRectF mark = rect(r);
            painter.fillRect(mark.adjusted(0, 0, std::max(0.0, 1 / scale - mark.width()),
                                           std::max(0.0, 1 / scale - mark.height())),
                             Qt::black);
        }
        for (const PixelRect& r : marks.value().bars()) {
            painter.fillRect(rect(r), QColor(80, 80, 80));
        }
    }
    painter.end();
    LabelDrawing->setPixmap(QPixmap::fromImage(image));
    LabelLayout->setText(QString("%1 行 × %2 列，共 %3 张；间距 %4 mm（跨透镜 %5 mm，取整个透镜）")
                             .arg(sheet.rows())
                             .arg(sheet.columns())
                             .arg(sheet.rows() * sheet.columns())
                             .arg(mm(sheet.gutterAlongMm))
                             .arg(mm(sheet.gutterAcrossMm)));
}

} // namespace tovrel
