#include "flip/flip_preview.h"

#include "flip/png_file.h"
#include "flip/saved_file.h"
#include "flip/sweep_gif.h"
#include "params/pitch_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace tovrel {

namespace {

// The slider counts thousandths of a lens. Phases run over [0, 1): phase 1
// is the next lens's phase 0, so the last position is the last step below it.
constexpr int kPhaseSteps = 1000;
constexpr int kPlayInterval = 50; // milliseconds per phase while playing

const QString kPlay = "播放";
const QString kStop = "停止";

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

FlipPreview::FlipPreview(std::filesystem::path dataFolder, const PictureCache& pictures,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), dataFolder_(std::move(dataFolder)), pictures_(pictures) {
    setObjectName("FlipPreview");
    setWindowTitle("翻转预览");
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    playTimer_.setInterval(kPlayInterval);
    connect(&playTimer_, &QTimer::timeout, this, &FlipPreview::playStep);
    resize(760, 620);
}

void FlipPreview::buildControls() {
    ImageView = new QLabel(this);
    ImageView->setObjectName("ImageView");
    ImageView->setAlignment(Qt::AlignCenter);
    // The view is made to fit the label, never the other way round.
    ImageView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    ImageView->setMinimumSize(160, 120);
    ImageView->setWordWrap(true);

    SliderPhase = new QSlider(Qt::Horizontal, this);
    SliderPhase->setObjectName("SliderPhase");
    SliderPhase->setRange(0, kPhaseSteps - 1);
    SliderPhase->setTickPosition(QSlider::TicksBelow);
    SliderPhase->setValue(kPhaseSteps / 4);
    LabelPhase = new QLabel(this);
    LabelPhase->setObjectName("LabelPhase");
    LabelPhase->setMinimumWidth(48);
    CommandPlay = new QPushButton(kPlay, this);
    CommandPlay->setObjectName("CommandPlay");
    CommandPlay->setDefault(true);

    SpinPitchError = new QDoubleSpinBox(this);
    SpinPitchError->setObjectName("SpinPitchError");
    SpinPitchError->setRange(-2, 2);
    SpinPitchError->setSingleStep(0.01);
    SpinPitchError->setDecimals(2);
    SpinPitchError->setSuffix(" %");
    SpinPitchError->setValue(0);
    CommandGif = new QPushButton("保存动画", this);
    CommandGif->setObjectName("CommandGif");
    CommandPng = new QPushButton("保存图片", this);
    CommandPng->setObjectName("CommandPng");
    LabelState = new QLabel(this);
    LabelState->setObjectName("LabelState");
    CheckGamut = new QCheckBox("标出色域外", this);
    CheckGamut->setObjectName("CheckGamut");
    CheckGamut->setEnabled(false);

    auto* phaseRow = new QHBoxLayout;
    phaseRow->addWidget(new QLabel("视角", this));
    phaseRow->addWidget(SliderPhase, 1);
    phaseRow->addWidget(LabelPhase);
    phaseRow->addWidget(CommandPlay);
    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(new QLabel("栅距误差", this));
    settingsRow->addWidget(SpinPitchError);
    settingsRow->addSpacing(12);
    settingsRow->addWidget(CheckGamut); // in the free space before the buttons
    settingsRow->addStretch(1);
    settingsRow->addWidget(CommandGif);
    settingsRow->addWidget(CommandPng);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ImageView, 1);
    layout->addLayout(phaseRow);
    layout->addLayout(settingsRow);
    layout->addWidget(LabelState);

    // The user's own tilt stays when the pictures or settings change.
    connect(SliderPhase, &QSlider::sliderMoved, this, [this] { phaseChosen_ = true; });
    connect(SliderPhase, &QSlider::actionTriggered, this, [this] { phaseChosen_ = true; });
    connect(SliderPhase, &QSlider::valueChanged, this, &FlipPreview::scheduleView);
    connect(SpinPitchError, &QDoubleSpinBox::valueChanged, this, &FlipPreview::scheduleView);
    connect(CommandPlay, &QPushButton::clicked, this, &FlipPreview::togglePlay);
    connect(CheckGamut, &QCheckBox::toggled, this, &FlipPreview::CheckGamut_Click);
    connect(CommandGif, &QPushButton::clicked, this, &FlipPreview::saveGif);
    connect(CommandPng, &QPushButton::clicked, this, &FlipPreview::savePng);
}

double FlipPreview::phase() const {
    return static_cast<double>(SliderPhase->value()) / kPhaseSteps;
}

double FlipPreview::pitchError() const {
    return SpinPitchError->value() / 100;
}

void FlipPreview::reload() {
    simulator_.reset();
}

void FlipPreview::setInputs(const JobState& job, const RunSettings& settings) {
    if (simulator_ && sameFlipInputs(job, settings, inputJob_, inputSettings_)) {
        return;
    }
    inputJob_ = job;
    inputSettings_ = settings;
    simulator_.reset();
    CheckGamut->setEnabled(!settings.colour.outputProfile.empty());
    Result<FlipSimulator> prepared = FlipSimulator::prepare(job, settings);
    if (!prepared) {
        showProblem(fromStd(prepared.message()));
        return;
    }
    if (CheckGamut->isEnabled() && CheckGamut->isChecked()) {
        QApplication::setOverrideCursor(Qt::WaitCursor); // pictures may be decoded
        const Status marked = prepared.value().markGamut(pictures_);
        QApplication::restoreOverrideCursor();
        if (!marked) {
            showProblem(fromStd(marked.message()));
            return;
        }
    }
    simulator_ = std::move(prepared).value();
    const int views = simulator_->job().ViewCount;
    SliderPhase->setTickInterval(kPhaseSteps / views);
    SliderPhase->setPageStep(kPhaseSteps / views);
    if (!phaseChosen_) {
        // Picture 1 as the card shows it first.
        const double first = simulator_->pictureCentrePhase(1);
        SliderPhase->setValue(static_cast<int>(std::lround(first * kPhaseSteps)));
    }
    CommandPlay->setEnabled(true);
    CommandGif->setEnabled(true);
    CommandPng->setEnabled(true);
    LabelState->clear();
    scheduleView();
}

void FlipPreview::CheckGamut_Click() {
    simulator_.reset();
    setInputs(inputJob_, inputSettings_);
}

void FlipPreview::showProblem(const QString& text) {
    playTimer_.stop();
    CommandPlay->setText(kPlay);
    CommandPlay->setEnabled(false);
    CommandGif->setEnabled(false);
    CommandPng->setEnabled(false);
    shown_ = QImage();
    ImageView->setPixmap(QPixmap());
    ImageView->setText(text);
    LabelState->setText(text);
}

// Views are made once the events at hand are handled: a drag or a resize
// that sends many changes makes one view.
void FlipPreview::scheduleView() {
    LabelPhase->setText(QString::number(phase(), 'f', 3));
    if (viewPending_) {
        return;
    }
    viewPending_ = true;
    QTimer::singleShot(0, this, [this] {
        viewPending_ = false;
        showView();
    });
}

ViewSize FlipPreview::viewSize() const {
    const QSize box = ImageView->contentsRect().size();
    return simulator_->fitView(std::max(1, box.width()), std::max(1, box.height()));
}

void FlipPreview::showView() {
    if (!simulator_) {
        return;
    }
    Result<ViewImage> view = simulator_->render(viewSize(), phase(), pitchError());
    if (!view) {
        showProblem(fromStd(view.message()));
        return;
    }
    const ViewImage& image = view.value();
    shown_ =
        QImage(image.rgb.data(), image.width, image.height, 3 * image.width, QImage::Format_RGB888)
            .copy();
    // A card with bleed shows where it is cut: the trim line over the view
    // (the saved pictures stay the card as printed).
    QPixmap shown = QPixmap::fromImage(shown_);
    const JobState& card = simulator_->job();
    const int32_t bleed = bleedPixels(inputSettings_.press.bleedMm, card.fbl);
    if (bleed > 0) {
        QPainter painter(&shown);
        const double sx = double(image.width) / card.tifW;
        const double sy = double(image.height) / card.tifH;
        const QRectF trim(bleed * sx, bleed * sy, (card.tifW - 2 * bleed) * sx,
                          (card.tifH - 2 * bleed) * sy);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(trim);
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(trim);
    }
    ImageView->setPixmap(shown);
}

void FlipPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scheduleView();
}

void FlipPreview::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    playTimer_.stop();
    CommandPlay->setText(kPlay);
}

void FlipPreview::togglePlay() {
    if (playTimer_.isActive()) {
        playTimer_.stop();
        CommandPlay->setText(kPlay);
        return;
    }
    // Starts the sweep where the card is tilted now.
    const int32_t steps = sweepStepsFor(kPlaySteps, simulator_->job().ViewCount);
    playFrame_ = std::clamp<int64_t>(std::lround(phase() * steps - 0.5), 0, steps - 1);
    CommandPlay->setText(kStop);
    playTimer_.start();
}

void FlipPreview::playStep() {
    ++playFrame_;
    const double next =
        sweepPhase(playFrame_, sweepStepsFor(kPlaySteps, simulator_->job().ViewCount));
    SliderPhase->setValue(static_cast<int>(std::lround(next * kPhaseSteps)));
}

void FlipPreview::saveGif() {
    exportFile("保存翻转动画", "GIF 动画 (*.gif)", "gif",
               [this](ViewSize size) { return encodeSweepGif(*simulator_, size, pitchError()); });
}

void FlipPreview::savePng() {
    exportFile("保存预览图片", "PNG 图片 (*.png)", "png",
               [this](ViewSize size) -> Result<std::vector<uint8_t>> {
                   Result<ViewImage> view = simulator_->render(size, phase(), pitchError());
                   if (!view) {
                       return view.status();
                   }
                   return encodePng(view.value());
               });
}

void FlipPreview::exportFile(const QString& caption, const QString& filter, const QString& suffix,
                             const std::function<Result<std::vector<uint8_t>>(ViewSize)>& encode) {
    if (!simulator_) {
        return;
    }
    const QString start =
        QFileInfo(fromStd(simulator_->job().InPath(1))).absolutePath() + "/翻转预览." + suffix;
    QString path = savePathHook ? savePathHook(caption, filter)
                                : QFileDialog::getSaveFileName(this, caption, start, filter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += "." + suffix;
    }
    Result<std::filesystem::path> target = exportTarget(simulator_->job(), path.toStdString());
    if (!target) {
        showMessage(fromStd(target.message()));
        return;
    }
    if (Status notData = PitchStore(dataFolder_).checkOutputPath(target.value()); !notData) {
        showMessage(fromStd(notData.message()));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<std::vector<uint8_t>> bytes = encode(viewSize());
    Status saved = bytes ? saveFile(target.value(), bytes.value()) : bytes.status();
    QApplication::restoreOverrideCursor();
    if (!saved) {
        showMessage(fromStd(saved.message()));
        return;
    }
    LabelState->setText("已保存：" + path);
}

void FlipPreview::showMessage(const QString& text) {
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, "Tovrel", text, QMessageBox::Ok, this);
    box.exec();
}

void FlipPreview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* pressed = focused != nullptr ? focused : CommandPlay;
        if (pressed->isEnabled()) {
            pressed->click();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tovrel
