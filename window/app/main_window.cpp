#include "app/main_window.h"

#include "app/app_icon.h"
#include "app/double_click_guard.h"
#include "app/drive_list.h"
#include "app/file_list.h"
#include "app/folder_list.h"
#include "app/picture_drop.h"
#include "app/twips.h"
#include "app/wheel_guard.h"
#include "app/window_fonts.h"
#include "common/line_breaks.h"
#include "params/control_events.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace tovrel {

namespace {

// The largest outer size the window may take.
const QSize kMaxOuterSize = twipsSize(12030, 8445);

// Characters of a word (a path) in a message box beyond which it is wrapped.
constexpr std::size_t kLongestWord = 48;

} // namespace

mainS::mainS(std::filesystem::path dataFolder, std::filesystem::path cacheFolder, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)),
      pictureCache_(cacheFolder.empty() ? dataFolder_ / "cache" : std::move(cacheFolder)) {
    setObjectName("mainS");
    setWindowTitle("Tovrel V2.1");
    setWindowIcon(appIcon());
    setFont(heiFont(9));
    buildControls();
    setFocusOrder();
    connectHandlers();
    guardWheel(this);
    guardWheel(Frame1);
    // A double click on "确定" confirms; it does not start the run as well.
    startGuard_ = new DoubleClickGuard(Command1);
    acceptPictureDrops(this, [this](const QStringList& files) { dropPictures(files); });
    setGeometry(twipsRect(1005, 1125, 11910, 7980));
}

mainS::~mainS() {
    ComboRes->lineEdit()->disconnect(this);
    std::vector<std::filesystem::path> held;
    for (int i = 1; i <= job.ViewCount; ++i) {
        held.emplace_back(job.RowPath(i));
    }
    pictureCache_.removeAllBut(held);
}

void mainS::connectHandlers() {
    constexpr auto direct = Qt::DirectConnection;
    connect(Command1, &QPushButton::clicked, this, &mainS::Command1_Click, direct);
    connect(Command2, &QPushButton::clicked, this, &mainS::Command2_Click, direct);
    connect(Command3, &QPushButton::clicked, this, &mainS::Command3_Click, direct);
    connect(CommandPitchTest, &QPushButton::clicked, this, &mainS::CommandPitchTest_Click, direct);
    connect(ActionFrames, &QAction::triggered, this, &mainS::ActionFrames_Click, direct);
    connect(ActionColour, &QAction::triggered, this, &mainS::ActionColour_Click, direct);
    connect(ActionSheet, &QAction::triggered, this, &mainS::ActionSheet_Click, direct);
    connectChangeAndClick(
        Combo3, [this] { Combo3_Change(); }, [this] { Combo3_Click(); });
    connectChangeAndClick(
        Combo4, [this] { Combo4_Change(); }, [this] { Combo4_Click(); });
    connect(CombK, &QComboBox::editTextChanged, this, &mainS::CombK_Change, direct);
    connect(CombG, &QComboBox::editTextChanged, this, &mainS::CombG_Change, direct);
    connect(LB1, &QCheckBox::toggled, this, &mainS::LB1_Click, direct);
    connectChosen(Op_h, [this] { Op_h_Click(); });
    connectChosen(Op_s, [this] { Op_s_Click(); });
    connect(CommandOpen, &QPushButton::clicked, this, &mainS::CommandOpen_Click, direct);
    for (int i = 0; i < kSlots; ++i) {
        connect(TextX[i], &QLineEdit::textEdited, this, &mainS::TextX_Change, direct);
        connect(TextY[i], &QLineEdit::textEdited, this, &mainS::TextY_Change, direct);
    }
    connect(
        CombK->lineEdit(), &QLineEdit::textEdited, this, [this] { typedSize_ = TypedSize::Width; },
        direct);
    connect(
        CombG->lineEdit(), &QLineEdit::textEdited, this, [this] { typedSize_ = TypedSize::Height; },
        direct);
    connect(PrinterRes, &QCheckBox::toggled, this, &mainS::PrinterRes_Click, direct);
    connectChangeAndClick(
        ComboRes, [this] { ComboRes_Change(); }, [this] { ComboRes_Click(); });
    connect(ComboRes->lineEdit(), &QLineEdit::editingFinished, this, &mainS::ComboRes_LostFocus,
            direct);
    connect(Dir1, &FolderList::listingFailed, this, &mainS::showMessage, direct);
    connect(File1, &FileList::listingFailed, this, &mainS::showMessage, direct);
    connectFileSelection();
    connectFlip();
}

namespace {

int messageBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
               QMessageBox::StandardButton byDefault) {
    // Lines of stored messages end in a carriage return; a box breaks lines at
    // line feeds.
    QString shown = text;
    shown.replace("\r\n", "\n").replace('\r', '\n');
    // A long path wraps instead of widening the box past the screen.
    shown = QString::fromStdString(withLineBreaks(shown.toStdString(), kLongestWord));
    QMessageBox box(QMessageBox::NoIcon, "Tovrel", shown, buttons, parent);
    box.setDefaultButton(byDefault);
    box.setEscapeButton(byDefault);
    return box.exec();
}

} // namespace

void mainS::showMessage(const QString& text) {
    if (messageHook) {
        messageHook(text);
        return;
    }
    messageBox(this, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool mainS::askQuestion(const QString& text) {
    if (questionHook) {
        return questionHook(text);
    }
    return messageBox(this, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void mainS::openFolder(const QString& folder) {
    if (openFolderHook) {
        openFolderHook(folder);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        showMessage(QString("无法打开文件夹“%1”：桌面没有可用的文件管理器。").arg(folder));
    }
}

void mainS::writeCredits() {
    Label4->setText("光栅变图");
    Label5->setText("Tovrel 立体变图合成");
    Label1->setText("Tovrel 工作室 制作");
}

void mainS::resetStartButton() {
    Command1->setText("确定");
    if (!running_) {
        TextOUT->setReadOnly(false);
    }
}

void mainS::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void mainS::Form_Load() {
    job.ActiveSlot = 1;
    job.Views = 0.0f;
    YBL->setChecked(true);
    writeCredits();
    loadXJ();
    loadPrinterChoice();
    loadColourChoice();
    loadLastFolder();
}

void mainS::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void mainS::Form_Resize() {
    // The cap holds for the outer size; resize() sets the client area.
    const QSize frame = frameGeometry().size() - size();
    QSize client = size();
    if (client.width() + frame.width() > kMaxOuterSize.width()) {
        client.setWidth(kMaxOuterSize.width() - frame.width());
    }
    if (client.height() + frame.height() > kMaxOuterSize.height()) {
        client.setHeight(kMaxOuterSize.height() - frame.height());
    }
    if (client != size()) {
        resize(client);
    }
}

void mainS::Command2_Click() {
    close();
}

} // namespace tovrel
