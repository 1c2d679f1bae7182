#include "colour/colour_dialog.h"

#include "app/window_fonts.h"
#include "colour/profile_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

namespace tovrel {

namespace {

constexpr const char* kIntentTexts[] = {"可感知", "相对比色", "饱和度", "绝对比色"};

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QString shown(const std::string& path) {
    return QFileInfo(QFile::decodeName(path.c_str())).fileName() + "  (" +
           QFile::decodeName(path.c_str()) + ")";
}

} // namespace

ColourDialog::ColourDialog(Window window, QWidget* parent)
    : QDialog(parent), window_(std::move(window)) {
    setObjectName("ColourDialog");
    setWindowTitle("色彩");
    setFont(heiFont(9));
    auto* form = new QFormLayout(this);
    const auto withButton = [this](QComboBox* box, QPushButton* button) {
        auto* row = new QHBoxLayout;
        box->setMinimumWidth(360);
        row->addWidget(box, 1);
        row->addWidget(button);
        return row;
    };
    ComboInput = named(new QComboBox(this), "ComboInput");
    CommandInputFile = named(new QPushButton("文件…", this), "CommandInputFile");
    form->addRow("无配置文件的图片按", withButton(ComboInput, CommandInputFile));
    ComboOutput = named(new QComboBox(this), "ComboOutput");
    CommandOutputFile = named(new QPushButton("文件…", this), "CommandOutputFile");
    form->addRow("输出配置文件", withButton(ComboOutput, CommandOutputFile));
    ComboIntent = named(new QComboBox(this), "ComboIntent");
    for (const char* text : kIntentTexts) {
        ComboIntent->addItem(text);
    }
    form->addRow("渲染意图", ComboIntent);
    CheckBpc = named(new QCheckBox("黑场补偿", this), "CheckBpc");
    form->addRow("", CheckBpc);
    auto* buttons = new QHBoxLayout;
    CommandOK = named(new QPushButton("确定", this), "CommandOK");
    CommandCancel = named(new QPushButton("取消", this), "CommandCancel");
    buttons->addStretch();
    buttons->addWidget(CommandOK);
    buttons->addWidget(CommandCancel);
    form->addRow(buttons);

    fillProfiles(ComboInput, "sRGB", window_.settings.inputProfile, &ProfileUses::input,
                 window_.installed.inputs);
    fillProfiles(ComboOutput, "sRGB（不嵌入配置文件）", window_.settings.outputProfile,
                 &ProfileUses::output, window_.installed.outputs);
    ComboIntent->setCurrentIndex(int(window_.settings.intent));
    CheckBpc->setChecked(window_.settings.blackPointCompensation);
    CommandOK->setDefault(true);

    constexpr auto direct = Qt::DirectConnection;
    connect(CommandInputFile, &QPushButton::clicked, this, &ColourDialog::CommandInputFile_Click,
            direct);
    connect(CommandOutputFile, &QPushButton::clicked, this, &ColourDialog::CommandOutputFile_Click,
            direct);
    connect(CommandOK, &QPushButton::clicked, this, &ColourDialog::CommandOK_Click, direct);
    connect(CommandCancel, &QPushButton::clicked, this, &QDialog::reject, direct);
}

// sRGB first, then the chosen profile, the recent ones that fit the list's
// use (a recent CMYK output is no input; a file gone since is left out) and
// those installed; each item carries its path.
void ColourDialog::fillProfiles(QComboBox* box, const QString& none, const std::string& chosen,
                                bool ProfileUses::*use, const std::vector<std::string>& installed) {
    box->addItem(none, QString());
    std::vector<std::string> offered;
    if (!chosen.empty()) {
        offered.push_back(chosen);
    }
    for (const std::string& path : window_.recent) {
        if (profileUsesOf(path).*use) {
            offered.push_back(path);
        }
    }
    offered.insert(offered.end(), installed.begin(), installed.end());
    for (const std::string& path : offered) {
        const QString data = QFile::decodeName(path.c_str());
        if (box->findData(data) < 0) {
            box->addItem(shown(path), data);
        }
    }
    box->setCurrentIndex(std::max(0, box->findData(QFile::decodeName(chosen.c_str()))));
}

void ColourDialog::chooseFile(QComboBox* box) {
    const QString file =
        fileHook ? fileHook()
                 : QFileDialog::getOpenFileName(this, "选择色彩配置文件", kSystemProfileFolder,
                                                "ICC 色彩配置文件 (*.icc *.icm *.ICC *.ICM)");
    if (file.isEmpty()) {
        return;
    }
    if (box->findData(file) < 0) {
        box->insertItem(1, shown(QFile::encodeName(file).toStdString()), file);
    }
    box->setCurrentIndex(box->findData(file));
}

void ColourDialog::CommandInputFile_Click() {
    chooseFile(ComboInput);
}

void ColourDialog::CommandOutputFile_Click() {
    chooseFile(ComboOutput);
}

ColourSettings ColourDialog::settings() const {
    ColourSettings s;
    s.inputProfile = QFile::encodeName(ComboInput->currentData().toString()).toStdString();
    s.outputProfile = QFile::encodeName(ComboOutput->currentData().toString()).toStdString();
    s.intent = static_cast<RenderIntent>(ComboIntent->currentIndex());
    s.blackPointCompensation = CheckBpc->isChecked();
    return s;
}

void ColourDialog::CommandOK_Click() {
    const ColourSettings chosen = settings();
    Result<ColourPlan> plan = colourPlanOf(chosen);
    if (!plan) {
        window_.showMessage(QString::fromStdString(plan.message()));
        return;
    }
    plan_ = std::move(plan).value();
    for (const std::string& file : {chosen.inputProfile, chosen.outputProfile}) {
        if (!file.empty()) {
            window_.recent = withRecent(window_.recent, file);
        }
    }
    accept();
}

} // namespace tovrel
