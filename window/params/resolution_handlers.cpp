// The pitch and sharpness boxes: their ranges, the white-gap list the
// sharpness allows, and the resolution they give.

#include "app/fitted_text.h"
#include "app/main_window.h"
#include "app/set_text.h"
#include "params/box_number.h"
#include "params/print_settings.h"
#include "params/resolution.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tovrel {

bool mainS::PrintFBL() {
    const std::optional<Resolution> r =
        printResolution(boxNumber(Combo3), boxNumber(Combo4), job.ViewCount);
    if (r) {
        job.Pitch = r->Pitch;
        job.Sharp = r->Sharp;
        job.fbl = r->fbl;
    }
    if (const auto shown = shownResolution(r, settingsTexts())) {
        // A resolution too long for the label keeps its first digits, and
        // shows whole as the tooltip.
        setFittedText(Label2, QString::fromStdString(*shown), Qt::ElideRight);
        return true;
    }
    return false;
}

void mainS::Combo3_Click() {
    Combo3_Change();
}

void mainS::Combo3_Change() {
    if (!pitchInRange(boxNumber(Combo3))) {
        // The label reads as 0, which the nested run accepts.
        setTextIfChanged(Combo3, kPitchLabel);
    }
    resetStartButton();
    writeCredits();
    PrintFBL();
}

void mainS::Combo4_Click() {
    Combo4_Change();
}

void mainS::Combo4_Change() {
    const double sharpness = boxNumber(Combo4);
    if (!sharpnessInRange(sharpness)) {
        // A rejected sharpness changes nothing else, not even the confirm state.
        setTextIfChanged(Combo4, kSharpnessLabel);
        return;
    }
    if (sharpness == 1) {
        // A strip of one pixel leaves no room for a white gap.
        LB1->setChecked(false);
        LB1->setEnabled(false);
        Combo1->clear();
        Combo1->setEnabled(false);
    } else {
        LB1->setEnabled(true);
        QStringList items;
        for (const std::string& item : whiteGapItems(sharpness)) {
            items << QString::fromStdString(item);
        }
        replaceItems(Combo1, items);
    }
    if (LB1->isChecked()) {
        enableWhiteGapList();
    }
    resetStartButton();
    writeCredits();
    PrintFBL();
}

} // namespace tovrel
