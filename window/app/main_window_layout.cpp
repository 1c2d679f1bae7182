// The window's controls: kinds, names, initial texts, fonts, places in twips
// and the order in which Tab walks them.

#include "app/drive_list.h"
#include "app/file_list.h"
#include "app/folder_list.h"
#include "app/main_window.h"
#include "app/name_box.h"
#include "app/progress_scroll_bar.h"
#include "app/set_text.h"
#include "app/twips.h"
#include "app/window_fonts.h"
#include "intake/frame_marker.h"
#include "params/print_settings.h"
#include "params/resolution.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace tovrel {

namespace {

struct Twips {
    int left;
    int top;
    int width;
    int height;
};

template <typename W> W* make(QWidget* parent, const QString& name, Twips at, const QFont& font) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(at.left, at.top, at.width, at.height));
    widget->setFont(font);
    return widget;
}

QString element(const char* array, int index) {
    return QString("%1(%2)").arg(array).arg(index);
}

QComboBox* makeEditableCombo(QWidget* parent, const char* name, Twips at, const QString& text) {
    auto* box = make<QComboBox>(parent, name, at, songFont(9));
    box->setEditable(true);
    // The list offers values; typing neither completes nor adds to it.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setEditText(text);
    return box;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name, Twips at, const QString& text) {
    auto* box = make<QLineEdit>(parent, name, at, songFont(9));
    box->setText(text);
    return box;
}

NameBox* makeNameBox(QWidget* parent, int slot) {
    const Twips at{5520, 4920 + 720 * (slot - 1), 1335, 270};
    auto* box = make<NameBox>(parent, QString("Text%1").arg(slot), at, songFont(9));
    box->setText(QString("文件 %1").arg(slot));
    box->setReadOnly(true);
    return box;
}

QStringList sharpnessItems() {
    QStringList items;
    for (int n = 1; n <= 20; ++n) {
        items << (n <= 10 ? QString("%1 倍清晰").arg(n) : QString("%1倍清晰").arg(n));
    }
    return items;
}

QLabel* makeLabel(QWidget* parent, const QString& name, Twips at, const QFont& font) {
    auto* label = make<QLabel>(parent, name, at, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// Tab enters an option group at its chosen button; the arrow keys move
// between the buttons.
void tabStopFollowsChoice(QRadioButton* option) {
    auto follow = [option](bool chosen) {
        option->setFocusPolicy(chosen ? Qt::StrongFocus : Qt::ClickFocus);
    };
    follow(option->isChecked());
    QObject::connect(option, &QRadioButton::toggled, option, follow, Qt::DirectConnection);
}

} // namespace

void mainS::buildControls() {
    const QFont song = songFont(9);
    const QFont buttonFont = songFont(10.5);

    Text1 = makeNameBox(this, 1);
    Text2 = makeNameBox(this, 2);
    Text3 = makeNameBox(this, 3);
    Text4 = makeNameBox(this, 4);
    for (int i = 0; i < 4; ++i) {
        const int top = 2880 + 240 * i;
        TextX[i] = makeTextBox(this, element("TextX", i), {10560, top, 615, 270},
                               QString("X%1").arg(i + 1));
        TextY[i] = makeTextBox(this, element("TextY", i), {11160, top, 615, 270},
                               QString("Y%1").arg(i + 1));
        TextX[i]->setMaxLength(6);
        TextY[i]->setMaxLength(6);
    }

    Command1 = make<QPushButton>(this, "Command1", {9840, 6240, 1695, 495}, buttonFont);
    Command1->setText("确定");
    TextOUT = makeTextBox(this, "TextOUT", {5520, 4320, 6255, 270}, "输出文件");

    Drive1 = make<DriveList>(this, "Drive1", {120, 3360, 2415, 300}, song);
    Dir1 = make<FolderList>(this, "Dir1", {120, 3840, 2415, 3660}, song);
    File1 = make<FileList>(this, "File1", {2640, 3360, 2415, 4170}, song);
    const QString current = QDir::currentPath();
    Drive1->setPath(current);
    Dir1->setPath(current);
    File1->setPath(current);

    Command2 = make<QPushButton>(this, "Command2", {9840, 6960, 1695, 495}, buttonFont);
    Command2->setText("退出");
    HScroll1 = make<ProgressScrollBar>(this, "HScroll1", {5520, 3840, 6255, 255}, song);

    CombK = makeEditableCombo(this, "CombK", {7320, 4920, 975, 300}, "宽cm");
    Combo3 = makeEditableCombo(this, "Combo3", {7320, 5880, 1335, 300}, "栅距");
    Combo4 = makeEditableCombo(this, "Combo4", {7320, 6480, 2055, 300}, "清晰倍数");
    replaceItems(Combo4, sharpnessItems());
    for (int i = 0; i < Combo4->count(); ++i) {
        Combo4->setItemData(i, 0);
    }

    const std::array<int, 4> pictureLeft{0, 3000, 5985, 8910};
    const std::array<int, 4> sizeLabelLeft{240, 3240, 6120, 9000};
    for (int i = 0; i < 4; ++i) {
        Picture1[i] =
            make<QFrame>(this, element("Picture1", i), {pictureLeft[i], 0, 2900, 2900}, song);
        Picture1[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Picture1[i]->setLineWidth(2);
        Picture1[i]->setFocusPolicy(Qt::StrongFocus);
        Image1[i] = make<QLabel>(Picture1[i], element("Image1", i), {120, 120, 2595, 2625}, song);
        Image1[i]->setScaledContents(true);
        FrameMark[i] = new FrameMarker(Picture1[i]);
        FrameMark[i]->setObjectName(element("FrameMark", i));
        LabXY[i] =
            makeLabel(this, element("LabXY", i), {sizeLabelLeft[i], 2880, 1215, 255}, heiFont(9));
    }

    LB1 = make<QCheckBox>(this, "LB1", {7320, 7080, 735, 255}, song);
    LB1->setText("留白");
    CombG = makeEditableCombo(this, "CombG", {8400, 4920, 975, 300}, "高cm");
    YBL = make<QCheckBox>(this, "YBL", {7320, 5280, 1815, 255}, song);
    YBL->setText("按原宽高比例");
    Combo1 = make<QComboBox>(this, "Combo1", {8040, 7080, 1335, 300}, song);
    Combo1->setEditable(false);
    Combo1->setEnabled(false);
    Command3 = make<QPushButton>(this, "Command3", {9000, 5880, 375, 255}, song);
    Command3->setText("X");

    Frame1 = make<QGroupBox>(this, "Frame1", {9840, 5040, 1695, 855}, song);
    Op_h = make<QRadioButton>(Frame1, "Op_h", {840, 360, 735, 300}, song);
    Op_h->setText("横变");
    Op_s = make<QRadioButton>(Frame1, "Op_s", {120, 360, 735, 300}, song);
    Op_s->setText("竖变");
    Op_s->setChecked(true);
    tabStopFollowsChoice(Op_h);
    tabStopFollowsChoice(Op_s);

    Label2 = makeLabel(this, "Label2", {9960, 4680, 1575, 255}, song);
    Label2->setText(kResolutionLabelText);
    Label4 = makeLabel(this, "Label4", {5520, 3240, 1695, 375}, songFont(14.25, true));
    QPalette blue = Label4->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 192));
    Label4->setPalette(blue);
    Label5 = makeLabel(this, "Label5", {7320, 3240, 1815, 255}, song);
    Label1 = makeLabel(this, "Label1", {7320, 3480, 2055, 255}, song);

    CommandPitchTest = make<QPushButton>(this, "CommandPitchTest", {10725, 7575, 810, 330}, song);
    CommandPitchTest->setText("栅距测试");
    LabelDone = makeLabel(this, "LabelDone", {120, 7545, 5280, 420}, song);
    LabelDone->setTextFormat(Qt::PlainText);
    CommandOpen = make<QPushButton>(this, "CommandOpen", {5520, 7575, 1335, 330}, song);
    CommandOpen->setText("打开文件夹");
    CommandOpen->setEnabled(false);

    PrinterRes = make<QCheckBox>(this, "PrinterRes", {7320, 7605, 1620, 255}, song);
    PrinterRes->setText("按打印机分辨率");
    ComboRes = makeEditableCombo(this, "ComboRes", {8985, 7590, 810, 300}, kPrinterPpiLabel);
    replaceItems(ComboRes, {"300", "360", "600", "720", "1200", "1440", "2400"});
    ComboRes->setEnabled(false);

    CommandFlip = make<QPushButton>(this, "CommandFlip", {9840, 7575, 810, 330}, song);
    CommandFlip->setText("翻转预览");
    CommandFlip->setEnabled(false);

    // In the free space between the credit lines and the anchor boxes.
    CommandMore = make<QToolButton>(this, "CommandMore", {9480, 3300, 975, 300}, song);
    CommandMore->setText("更多…");
    CommandMore->setPopupMode(QToolButton::InstantPopup);
    auto* more = new QMenu(CommandMore);
    more->setObjectName("MenuMore");
    ActionFrames = more->addAction("多帧…");
    ActionFrames->setObjectName("ActionFrames");
    ActionColour = more->addAction("色彩…");
    ActionColour->setObjectName("ActionColour");
    ActionSheet = more->addAction("拼版…");
    ActionSheet->setObjectName("ActionSheet");
    CommandMore->setMenu(more);
}

void mainS::setFocusOrder() {
    const std::vector<QWidget*> order{
        Text1,    Text2,      Text3,       Text4,       TextX[0],    TextY[0],    Command1,
        TextOUT,  Drive1,     Dir1,        File1,       Command2,    HScroll1,    CombK,
        Combo3,   Combo4,     Picture1[0], Picture1[1], Picture1[2], Picture1[3], TextX[1],
        TextX[2], TextX[3],   TextY[1],    TextY[2],    TextY[3],    LB1,         CombG,
        YBL,      Combo1,     Command3,    Op_h,        Op_s,        CommandOpen, PrinterRes,
        ComboRes, CommandFlip};
    for (size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    // The controls added since come after the design's own.
    setTabOrder(order.back(), CommandPitchTest);
    setTabOrder(CommandPitchTest, CommandMore);
}

} // namespace tovrel
