#include "app/pitch_test_dialog.h"

#include "app/pitch_photo_dialog.h"
#include "app/window_fonts.h"
#include "chart/pitch_chart_file.h"
#include "common/leading_number.h"
#include "common/number_format.h"
#include "pitch_reading/pitch_reading.h"
#include "render/run_input_block.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tovrel {

namespace {

QLineEdit* makeField(QWidget* parent, const char* name, const std::string& text) {
    auto* box = new QLineEdit(QString::fromStdString(text), parent);
    box->setObjectName(name);
    return box;
}

QString afterwards(const PitchChartSettings& chart, const std::string& file) {
    return QString::fromStdString(
        "测试图已保存到 " + file + "。\n请按 100% 比例、以 " + formatDouble(chart.resolution) +
        " 像素/英寸打印，把光栅板盖在图上、光栅顺着线条，从卡片的观看距离看过去，"
        "挑出整条明暗最均匀的一条，把它的栅距填入栅距框；合成时这个栅距会记入栅距列表。");
}

} // namespace

PitchTestDialog::PitchTestDialog(const PitchChartSettings& chart, const QString& file,
                                 std::filesystem::path dataFolder,
                                 std::function<void(const QString&)> showMessage, QWidget* parent)
    : QDialog(parent), dataFolder_(std::move(dataFolder)), showMessage_(std::move(showMessage)) {
    setObjectName("PitchTestDialog");
    setWindowTitle("栅距测试");
    setFont(heiFont(9));
    buildControls(chart, file);
    constexpr auto direct = Qt::DirectConnection;
    connect(TextPitch, &QLineEdit::textEdited, this, &PitchTestDialog::TextPitch_Change, direct);
    connect(
        TextRange, &QLineEdit::textEdited, this, [this] { rangeTyped_ = true; }, direct);
    connect(
        TextStep, &QLineEdit::textEdited, this, [this] { stepTyped_ = true; }, direct);
    connect(CommandMake, &QPushButton::clicked, this, &PitchTestDialog::CommandMake_Click, direct);
    connect(CommandBrowse, &QPushButton::clicked, this, &PitchTestDialog::CommandBrowse_Click,
            direct);
    connect(CommandClose, &QPushButton::clicked, this, &QDialog::reject, direct);
    connect(CommandPhoto, &QPushButton::clicked, this, &PitchTestDialog::CommandPhoto_Click,
            direct);
}

void PitchTestDialog::buildControls(const PitchChartSettings& chart, const QString& file) {
    // A pitch of 0 is not known yet: its field and the fields that follow it
    // stay empty.
    PitchChartTexts texts = chartTexts(chart);
    if (!(chart.pitch > 0)) {
        texts.pitch = texts.range = texts.step = "";
    }
    TextPitch = makeField(this, "TextPitch", texts.pitch);
    TextRange = makeField(this, "TextRange", texts.range);
    TextStep = makeField(this, "TextStep", texts.step);
    TextRes = makeField(this, "TextRes", texts.resolution);
    TextWidth = makeField(this, "TextWidth", texts.widthCm);
    TextBand = makeField(this, "TextBand", texts.bandMm);
    OpVertical = new QRadioButton("竖线（竖变）", this);
    OpVertical->setObjectName("OpVertical");
    OpHorizontal = new QRadioButton("横线（横变）", this);
    OpHorizontal->setObjectName("OpHorizontal");
    (chart.horizontal ? OpHorizontal : OpVertical)->setChecked(true);
    TextFile = new QLineEdit(file, this);
    TextFile->setObjectName("TextFile");
    CommandBrowse = new QPushButton("浏览…", this);
    CommandBrowse->setObjectName("CommandBrowse");
    CommandMake = new QPushButton("生成", this);
    CommandMake->setObjectName("CommandMake");
    CommandMake->setDefault(true);
    CommandClose = new QPushButton("关闭", this);
    CommandClose->setObjectName("CommandClose");
    CommandPhoto = new QPushButton("从照片读取栅距", this);
    CommandPhoto->setObjectName("CommandPhoto");
    ProgressChart = new QProgressBar(this);
    ProgressChart->setObjectName("ProgressChart");
    ProgressChart->setRange(0, 1000);
    ProgressChart->setValue(0);
    ProgressChart->setTextVisible(false);
    ComboPaper = new QComboBox(this);
    ComboPaper->setObjectName("ComboPaper");
    for (const Paper paper : {Paper::A4, Paper::A3, Paper::Letter}) {
        ComboPaper->addItem(QString::fromStdString(paperName(paper)));
    }
    ComboPaper->setCurrentText(QString::fromStdString(paperName(chart.paper)));

    auto* direction = new QHBoxLayout;
    direction->addWidget(OpVertical);
    direction->addWidget(OpHorizontal);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(TextFile, 1);
    fileRow->addWidget(CommandBrowse);
    auto* form = new QFormLayout;
    form->addRow("标称栅距 mm", TextPitch);
    form->addRow("范围 ± mm", TextRange);
    form->addRow("步长 mm", TextStep);
    form->addRow("分辨率 像素/英寸", TextRes);
    form->addRow("宽度 cm", TextWidth);
    form->addRow("条高 mm", TextBand);
    form->addRow("栅线方向", direction);
    form->addRow("保存为", fileRow);
    // The paper sits in the free room left of the buttons.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel("纸张", this));
    buttons->addWidget(ComboPaper);
    buttons->addWidget(CommandPhoto);
    buttons->addStretch(1);
    buttons->addWidget(CommandMake);
    buttons->addWidget(CommandClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ProgressChart);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void PitchTestDialog::TextPitch_Change() {
    const std::string text = TextPitch->text().toStdString();
    if (!isPlainNumber(text) || !(leadingNumber(text) > 0)) {
        return;
    }
    const PitchChartTexts defaults = chartTexts(defaultPitchChart(leadingNumber(text)));
    if (!rangeTyped_) {
        TextRange->setText(QString::fromStdString(defaults.range));
    }
    if (!stepTyped_) {
        TextStep->setText(QString::fromStdString(defaults.step));
    }
}

void PitchTestDialog::CommandBrowse_Click() {
    const QString chosen = QFileDialog::getSaveFileName(this, "保存测试图", TextFile->text(),
                                                        "TIFF 图像 (*.tif *.tiff)");
    if (!chosen.isEmpty()) {
        TextFile->setText(chosen);
    }
}

Result<PitchChartSettings> PitchTestDialog::fieldsChart() const {
    const auto text = [](const QLineEdit* box) { return box->text().trimmed().toStdString(); };
    return readPitchChart(
        {text(TextPitch), text(TextRange), text(TextStep), text(TextRes), text(TextWidth),
         text(TextBand), OpHorizontal->isChecked(),
         paperNamed(ComboPaper->currentText().toStdString()).value_or(Paper::A4)});
}

void PitchTestDialog::CommandPhoto_Click() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, "打开测试图的照片", QFileInfo(TextFile->text()).absolutePath(),
        "照片 (*.jpg *.jpeg *.png *.tif *.tiff *.bmp)");
    if (!chosen.isEmpty()) {
        readPhoto(chosen);
    }
}

void PitchTestDialog::readPhoto(const QString& file) {
    const Result<PitchChartSettings> chart = fieldsChart();
    if (!chart) {
        showMessage_(QString::fromStdString(chart.message()));
        return;
    }
    const Result<PitchReading> read = [&] {
        const RunInputBlock block(this);
        return readPitchPhoto(file.toStdString(), chart.value());
    }();
    if (!read) {
        showMessage_(QString::fromStdString(read.message()));
        return;
    }
    auto* shown = new PitchPhotoDialog(
        chart.value(), file, read.value(), addPitch_ ? addPitch_ : [](double) { return false; },
        this);
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->setWindowModality(Qt::WindowModal);
    shown->show();
}

void PitchTestDialog::CommandMake_Click() {
    const Result<PitchChartSettings> chart = fieldsChart();
    if (!chart) {
        showMessage_(QString::fromStdString(chart.message()));
        return;
    }
    const std::string file = TextFile->text().toStdString();
    ChartHooks hooks;
    hooks.progress = [this](int value) {
        ProgressChart->setValue(value);
        RunInputBlock::keepAlive();
    };
    Status written;
    {
        const RunInputBlock block(this);
        written = writePitchChart(chart.value(), dataFolder_, file, hooks);
    }
    ProgressChart->setValue(0);
    showMessage_(written ? afterwards(chart.value(), file)
                         : QString::fromStdString(written.message()));
}

} // namespace tovrel
