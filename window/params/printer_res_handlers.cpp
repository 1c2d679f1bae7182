// Printing at the printer's own resolution: the check box, the resolution box
// and the choice kept in the user's settings between runs of the program.

#include "app/fitted_text.h"
#include "app/main_window.h"
#include "app/set_text.h"
#include "params/print_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace tovrel {

namespace {
const QString kOnKey = "printerResolution/on";
const QString kPpiKey = "printerResolution/ppi";
} // namespace

void mainS::PrinterRes_Click() {
    ComboRes->setEnabled(PrinterRes->isChecked());
    printerChoiceChanged();
}

void mainS::ComboRes_Click() {
    ComboRes_Change();
}

void mainS::ComboRes_Change() {
    if (printerPpiEntry(ComboRes->currentText().toStdString()) == PpiEntry::Refused) {
        // The label is refused too, so the nested run changes nothing more.
        setTextIfChanged(ComboRes, kPrinterPpiLabel);
    }
    printerChoiceChanged();
}

void mainS::printerChoiceChanged() {
    resetStartButton();
    writeCredits();
    // A printer's resolution shown before must not stay once it no longer
    // applies: without a resolution the label shows its unit alone.
    if (!PrintFBL()) {
        setFittedText(Label2, kResolutionLabelText, Qt::ElideRight);
    }
    savePrinterChoice();
}

void mainS::ComboRes_LostFocus() {
    // Digits that could still have grown into a resolution, left as they are.
    if (!printerPpiOf(ComboRes->currentText().toStdString())) {
        setTextIfChanged(ComboRes, kPrinterPpiLabel);
    }
}

void mainS::loadPrinterChoice() {
    // Both are read first: each change handler saves the choice as it stands.
    const QSettings settings;
    const QString ppi = settings.value(kPpiKey, kPrinterPpiLabel).toString();
    const bool on = settings.value(kOnKey, false).toBool();
    setTextIfChanged(ComboRes, ppi);
    PrinterRes->setChecked(on);
}

void mainS::savePrinterChoice() {
    QSettings settings;
    settings.setValue(kOnKey, PrinterRes->isChecked());
    settings.setValue(kPpiKey, ComboRes->currentText());
}

} // namespace tovrel
