// The print settings as the controls hold them, for the core's model.

#include "app/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace tovrel {

RunSettings mainS::runSettings() const {
    RunSettings settings = runSettingsOf(settingsTexts());
    settings.colour = pictureCache_.colour().settings;
    settings.output = pictureCache_.colour().output;
    return settings;
}

SettingsTexts mainS::settingsTexts() const {
    SettingsTexts texts;
    texts.pitch = Combo3->currentText().toStdString();
    texts.sharpness = Combo4->currentText().toStdString();
    texts.width = CombK->currentText().toStdString();
    texts.height = CombG->currentText().toStdString();
    texts.whiteGaps = LB1->isChecked();
    if (Combo1->currentIndex() >= 0) {
        texts.whiteGapItem = Combo1->itemText(Combo1->currentIndex()).toStdString();
    }
    texts.horizontal = Op_h->isChecked();
    texts.printerRes = PrinterRes->isChecked();
    texts.printerPpi = ComboRes->currentText().toStdString();
    texts.press = press_;
    return texts;
}

} // namespace tovrel
