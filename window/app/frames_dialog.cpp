#include "app/frames_dialog.h"

#include "app/window_fonts.h"
#include "common/leading_number.h"
#include "flip/flip_preview.h"
#include "intake/frame_intake.h"
#include "intake/size_proposal.h"
#include "job/frame_list.h"
#include "job/output_name.h"
#include "params/pitch_store.h"
#include "render/interlace_engine.h"
#include "render/run_header.h"
#include "render/run_input_block.h"

#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <type_traits>

namespace tovrel {

namespace {

constexpr QSize kThumb(96, 72);
constexpr int kPathRole = Qt::UserRole;

template <typename T> T* make(QWidget* parent, const char* name, const QString& text = {}) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    if constexpr (std::is_base_of_v<QPushButton, T>) {
        widget->setText(text);
    }
    return widget;
}

// A thumbnail decoded at its small size where the format allows, upright.
QIcon thumbnail(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        reader.setScaledSize(size.scaled(kThumb, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

FramesDialog::FramesDialog(Window window, QWidget* parent)
    : QDialog(parent), window_(std::move(window)) {
    setObjectName("FramesDialog");
    setWindowTitle("多帧");
    setFont(heiFont(9));
    buildControls();
    constexpr auto direct = Qt::DirectConnection;
    const std::pair<QPushButton*, void (FramesDialog::*)()> clicks[] = {
        {CommandFolder, &FramesDialog::CommandFolder_Click},
        {CommandFiles, &FramesDialog::CommandFiles_Click},
        {CommandEarlier, &FramesDialog::CommandEarlier_Click},
        {CommandLater, &FramesDialog::CommandLater_Click},
        {CommandReverse, &FramesDialog::CommandReverse_Click},
        {CommandDrop, &FramesDialog::CommandDrop_Click},
        {CommandPreview, &FramesDialog::CommandPreview_Click},
        {CommandRun, &FramesDialog::CommandRun_Click}};
    for (const auto& [button, handler] : clicks) {
        connect(button, &QPushButton::clicked, this, handler, direct);
    }
    connect(CommandClose, &QPushButton::clicked, this, &QDialog::reject, direct);
    framesChanged();
}

void FramesDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* choose = new QHBoxLayout;
    CommandFolder = make<QPushButton>(this, "CommandFolder", "选择文件夹…");
    CommandFiles = make<QPushButton>(this, "CommandFiles", "选择文件…");
    LabelCount = make<QLabel>(this, "LabelCount");
    choose->addWidget(CommandFolder);
    choose->addWidget(CommandFiles);
    choose->addStretch();
    choose->addWidget(LabelCount);
    layout->addLayout(choose);

    ListFrames = make<QListWidget>(this, "ListFrames");
    ListFrames->setViewMode(QListView::IconMode);
    ListFrames->setIconSize(kThumb);
    ListFrames->setGridSize(kThumb + QSize(24, 36));
    ListFrames->setMovement(QListView::Static);
    ListFrames->setResizeMode(QListView::Adjust);
    ListFrames->setWrapping(true);
    ListFrames->setMinimumSize(560, 300);
    layout->addWidget(ListFrames);

    auto* order = new QHBoxLayout;
    CommandEarlier = make<QPushButton>(this, "CommandEarlier", "前移");
    CommandLater = make<QPushButton>(this, "CommandLater", "后移");
    CommandReverse = make<QPushButton>(this, "CommandReverse", "倒序");
    CommandDrop = make<QPushButton>(this, "CommandDrop", "删除");
    for (QPushButton* button : {CommandEarlier, CommandLater, CommandReverse, CommandDrop}) {
        order->addWidget(button);
    }
    order->addStretch();
    order->addWidget(new QLabel("关键帧", this));
    SpinKey = make<QSpinBox>(this, "SpinKey");
    SpinKey->setRange(1, 1);
    order->addWidget(SpinKey);
    order->addWidget(new QLabel("视差(像素)", this));
    SpinParallax = make<QDoubleSpinBox>(this, "SpinParallax");
    SpinParallax->setRange(-1000, 1000);
    SpinParallax->setDecimals(2);
    order->addWidget(SpinParallax);
    layout->addLayout(order);

    auto* run = new QHBoxLayout;
    run->addWidget(new QLabel("输出文件", this));
    TextFile = make<QLineEdit>(this, "TextFile");
    TextFile->setText(window_.output);
    run->addWidget(TextFile, 1);
    CommandPreview = make<QPushButton>(this, "CommandPreview", "翻转预览");
    CommandRun = make<QPushButton>(this, "CommandRun", "合成");
    CommandClose = make<QPushButton>(this, "CommandClose", "关闭");
    run->addWidget(CommandPreview);
    run->addWidget(CommandRun);
    run->addWidget(CommandClose);
    layout->addLayout(run);
    ProgressRun = make<QProgressBar>(this, "ProgressRun");
    ProgressRun->setRange(0, 1000);
    ProgressRun->setValue(0);
    layout->addWidget(ProgressRun);
}

QStringList FramesDialog::frames() const {
    QStringList paths;
    for (int i = 0; i < ListFrames->count(); ++i) {
        paths << ListFrames->item(i)->data(kPathRole).toString();
    }
    return paths;
}

void FramesDialog::setFrames(const QStringList& paths) {
    ListFrames->clear();
    for (const QString& path : paths) {
        auto* item = new QListWidgetItem(thumbnail(path), QFileInfo(path).fileName(), ListFrames);
        item->setData(kPathRole, path);
        item->setToolTip(path);
    }
    framesChanged();
}

// Numbers the frames in their order and keeps the key frame among them.
void FramesDialog::framesChanged() {
    const int count = ListFrames->count();
    for (int i = 0; i < count; ++i) {
        QListWidgetItem* item = ListFrames->item(i);
        item->setText(QString("%1 %2").arg(i + 1).arg(
            QFileInfo(item->data(kPathRole).toString()).fileName()));
    }
    SpinKey->setRange(1, std::max(1, count));
    LabelCount->setText(QString("共 %1 帧").arg(count));
    CommandRun->setEnabled(count >= 2);
    CommandPreview->setEnabled(count >= 2);
}

void FramesDialog::CommandFolder_Click() {
    const QString folder =
        folderHook ? folderHook()
                   : QFileDialog::getExistingDirectory(this, "选择帧所在的文件夹", window_.folder);
    if (folder.isEmpty()) {
        return;
    }
    const Result<std::vector<std::string>> listed = framesInFolder(localPath(folder));
    if (!listed) {
        window_.showMessage(QString::fromStdString(listed.message()));
        return;
    }
    QStringList paths;
    for (const std::string& path : listed.value()) {
        paths << QFile::decodeName(path.c_str());
    }
    if (paths.size() > kMaxFrames) {
        window_.showMessage(
            QString("文件夹里有 %1 张图片，只取前 %2 张。").arg(paths.size()).arg(kMaxFrames));
        paths = paths.mid(0, kMaxFrames);
    }
    window_.folder = folder;
    setFrames(paths);
}

void FramesDialog::CommandFiles_Click() {
    QStringList chosen =
        filesHook ? filesHook()
                  : QFileDialog::getOpenFileNames(this, "选择帧图片", window_.folder,
                                                  "图片 (*.bmp *.png *.jpg *.jpeg *.tif *.tiff)");
    if (chosen.isEmpty()) {
        return;
    }
    std::sort(chosen.begin(), chosen.end(), [](const QString& a, const QString& b) {
        return naturalLess(localPath(QFileInfo(a).fileName()), localPath(QFileInfo(b).fileName()));
    });
    setFrames(chosen.mid(0, kMaxFrames));
}

void FramesDialog::moveCurrent(int by) {
    const int row = ListFrames->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= ListFrames->count()) {
        return;
    }
    QListWidgetItem* item = ListFrames->takeItem(row);
    ListFrames->insertItem(to, item);
    ListFrames->setCurrentRow(to);
    framesChanged();
}

void FramesDialog::CommandEarlier_Click() {
    moveCurrent(-1);
}

void FramesDialog::CommandLater_Click() {
    moveCurrent(1);
}

void FramesDialog::CommandReverse_Click() {
    const int count = ListFrames->count();
    for (int i = 0; i < count - 1; ++i) {
        ListFrames->insertItem(i, ListFrames->takeItem(count - 1));
    }
    framesChanged();
}

void FramesDialog::CommandDrop_Click() {
    const int row = ListFrames->currentRow();
    if (row < 0) {
        return;
    }
    delete ListFrames->takeItem(row);
    framesChanged();
}

std::optional<FramesDialog::Card> FramesDialog::card() {
    std::vector<std::string> paths;
    for (const QString& path : frames()) {
        paths.push_back(localPath(path));
    }
    Card card;
    JobState& job = card.job;
    const FrameSettings settings{SpinKey->value(), SpinParallax->value()};
    if (Status chosen = chooseFrames(job, paths, {}, settings, *window_.cache); !chosen) {
        window_.showMessage(QString::fromStdString(chosen.message()));
        return std::nullopt;
    }
    // The main window's print size, or the size it would propose for these frames.
    SettingsTexts texts = window_.settings;
    if (!(leadingNumber(texts.width) > 0) || !(leadingNumber(texts.height) > 0)) {
        texts.width = proposedWidthText(job).value_or("");
        texts.height = proposedHeightText(texts.width, job.Aspect).value_or("");
    }
    const Confirmation confirmed = confirmSettings(texts, job.ViewCount);
    if (!confirmed.valid) {
        window_.showMessage("  请选择参数");
        return std::nullopt;
    }
    job.Pitch = confirmed.Pitch;
    job.Sharp = confirmed.Sharp;
    card.settings = runSettingsOf(texts);
    card.settings.colour = window_.cache->colour().settings;
    card.settings.output = window_.cache->colour().output;
    return card;
}

void FramesDialog::CommandPreview_Click() {
    const std::optional<Card> made = card();
    if (!made) {
        return;
    }
    if (preview_ == nullptr) {
        preview_ = new FlipPreview(window_.dataFolder, *window_.cache, this);
        preview_->setWindowFlag(Qt::Window);
        preview_->setAttribute(Qt::WA_DeleteOnClose);
    }
    preview_->setInputs(made->job, made->settings);
    preview_->show();
    preview_->raise();
}

void FramesDialog::CommandRun_Click() {
    std::optional<Card> made = card();
    if (!made) {
        return;
    }
    JobState& job = made->job;
    const Result<std::string> output =
        outputPathFor(TextFile->text().toStdString(), localPath(window_.folder));
    if (!output) {
        window_.showMessage(QString::fromStdString(output.message()));
        return;
    }
    job.OutPath = output.value();
    PitchStore store(window_.dataFolder);
    if (Status path = store.checkOutputPath(job.OutPath); !path) {
        window_.showMessage(QString::fromStdString(path.message()));
        return;
    }
    RunHooks hooks;
    hooks.makeTif = [this, &store](JobState& run, const std::filesystem::path& file,
                                   TiffForm form) {
        return writeHeaderAndRecordPitch(store, run, file, form, [this](const std::string& text) {
            window_.showMessage(QString::fromStdString(text));
        });
    };
    hooks.progress = [this](int value) {
        ProgressRun->setValue(value);
        RunInputBlock::keepAlive();
    };
    RunResult result{RunOutcome::Refused, Status::ok()};
    {
        const RunInputBlock block(this);
        result = runInterlace(job, made->settings, hooks);
    }
    ProgressRun->setValue(0);
    if (result.outcome == RunOutcome::Done) {
        window_.showMessage(QString("已合成 %1 帧：%2")
                                .arg(job.ViewCount)
                                .arg(QString::fromStdString(job.OutPath)));
    } else if (result.outcome != RunOutcome::HeaderNotWritten) {
        window_.showMessage(QString::fromStdString(result.status.message()));
    }
}

} // namespace tovrel
