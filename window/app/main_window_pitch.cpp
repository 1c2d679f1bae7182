// The pitch box and the pitch store behind it.

#include "app/main_window.h"

#include "app/set_text.h"
#include "common/leading_number.h"
#include "common/rounding.h"
#include "params/pitch_store.h"

#include <QComboBox>

namespace tovrel {

void mainS::loadXJ() {
    const PitchStore store(dataFolder_);
    if (!store.present()) {
        showMessage(QString::fromStdString(notFoundMessage()));
        return;
    }
    const Result<std::vector<float>> entries = store.load();
    if (!entries) {
        showMessage(QString::fromStdString(entries.message()));
        return;
    }
    QStringList items;
    for (float entry : entries.value()) {
        items << QString::fromStdString(pitchItemText(entry));
    }
    replaceItems(Combo3, items);
    setTextIfChanged(Combo3, "栅距mm");
}

void mainS::Command3_Click() {
    PitchStore store(dataFolder_);
    if (!store.present()) {
        showMessage(QString::fromStdString(notFoundMessage()));
        return;
    }
    const float shown = toSingle(leadingNumber(Combo3->currentText().toStdString()));
    const Status removed = store.removeAll(shown);
    if (!removed) {
        showMessage(QString::fromStdString(removed.message()));
        return;
    }
    loadXJ();
}

} // namespace tovrel
