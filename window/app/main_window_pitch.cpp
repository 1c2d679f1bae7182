// The pitch box and the pitch store behind it.

#include "app/main_window.h"

#include "app/set_text.h"
#include "common/leading_number.h"
#include "common/rounding.h"
#include "params/pitch_store.h"

#include <QComboBox>
#include <algorithm>

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
    // Only a pitch the list holds is asked about; deleting another changes
    // nothing but the box, which shows the list's label again.
    const Result<std::vector<float>> entries = store.load();
    if (entries &&
        std::find(entries.value().begin(), entries.value().end(), shown) != entries.value().end()) {
        const QString pitch = QString::fromStdString(pitchItemText(shown));
        if (!askQuestion(QString("要从栅距列表中删除栅距 %1 mm 吗？").arg(pitch))) {
            return;
        }
    }
    const Status removed = store.removeAll(shown);
    if (!removed) {
        showMessage(QString::fromStdString(removed.message()));
        return;
    }
    loadXJ();
}

} // namespace tovrel
