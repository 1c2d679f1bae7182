// The flip preview's button in the main window, and how the open preview
// follows every change of the pictures and settings.

#include "app/file_list.h"
#include "app/main_window.h"
#include "flip/flip_preview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace tovrel {

namespace {

// What confirming a run asks for (two or more pictures, a pitch and a
// sharpness, and the printer's resolution when printing at it), and a size.
bool couldConfirm(const SettingsTexts& texts, uint8_t viewCount) {
    const RunSettings settings = runSettingsOf(texts);
    return confirmSettings(texts, viewCount).valid && settings.widthCm > 0 && settings.heightCm > 0;
}

} // namespace

JobState mainS::flipJob() const {
    const Confirmation confirmed = confirmSettings(settingsTexts(), job.ViewCount);
    JobState flip = job;
    flip.Pitch = confirmed.Pitch;
    flip.Sharp = confirmed.Sharp;
    return flip;
}

FlipPreview* mainS::flipPreview() const {
    return flipPreview_;
}

void mainS::connectFlip() {
    constexpr auto direct = Qt::DirectConnection;
    connect(CommandFlip, &QPushButton::clicked, this, &mainS::CommandFlip_Click, direct);
    // Connected after the controls' own handlers, so these run after them.
    for (QComboBox* box : {Combo3, Combo4, CombK, CombG, ComboRes}) {
        connect(box, &QComboBox::editTextChanged, this, &mainS::flipInputsChanged, direct);
    }
    connect(Combo1, &QComboBox::currentIndexChanged, this, &mainS::flipInputsChanged, direct);
    for (QCheckBox* box : {LB1, PrinterRes}) {
        connect(box, &QCheckBox::toggled, this, &mainS::flipInputsChanged, direct);
    }
    connect(Op_h, &QRadioButton::toggled, this, &mainS::flipInputsChanged, direct);
    // Anchors typed after picking move the common frame.
    for (int i = 0; i < kSlots; ++i) {
        connect(TextX[i], &QLineEdit::textEdited, this, &mainS::flipInputsChanged, direct);
        connect(TextY[i], &QLineEdit::textEdited, this, &mainS::flipInputsChanged, direct);
    }
    connect(File1, &FileList::fileClicked, this, &mainS::flipPicturesChanged, direct);
}

void mainS::flipPicturesChanged() {
    // A picture picked again may have changed on disk.
    if (flipPreview_) {
        flipPreview_->reload();
    }
    flipInputsChanged();
}

void mainS::flipInputsChanged() {
    CommandFlip->setEnabled(couldConfirm(settingsTexts(), job.ViewCount));
    if (!flipPreview_ || flipUpdatePending_) {
        return;
    }
    // Once the handlers of this event are done, so that a chain of nested
    // changes gives one new view.
    flipUpdatePending_ = true;
    QTimer::singleShot(0, this, [this] {
        flipUpdatePending_ = false;
        updateFlip();
    });
}

void mainS::updateFlip() {
    if (flipPreview_) {
        flipPreview_->setInputs(flipJob(), runSettings());
    }
}

void mainS::CommandFlip_Click() {
    if (!flipPreview_) {
        flipPreview_ = new FlipPreview(dataFolder_, pictureCache_, this);
    }
    updateFlip();
    flipPreview_->show();
    flipPreview_->raise();
    flipPreview_->activateWindow();
}

} // namespace tovrel
