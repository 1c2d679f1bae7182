// The pitch test button: opens the pitch test dialog over the window.

#include "app/main_window.h"

#include "app/folder_list.h"
#include "app/pitch_test_dialog.h"
#include "app/set_text.h"
#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "params/pitch_store.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace tovrel {

namespace {

// The pitch box's pitch, else the last confirmed one; 0 when neither is one.
double offeredPitch(const mainS& w) {
    const double typed = leadingNumber(w.Combo3->currentText().toStdString());
    if (typed > 0 && typed <= 3) {
        return typed;
    }
    // As the pitch box would show it, not the float's binary digits.
    return w.job.Pitch > 0 && w.job.Pitch <= 3 ? leadingNumber(formatSingle(w.job.Pitch)) : 0;
}

// Beside the output file when its folder exists, else in the open folder.
QString offeredFile(const mainS& w) {
    const QFileInfo output(w.TextOUT->text());
    const QString folder = !w.TextOUT->text().isEmpty() && output.absoluteDir().exists()
                               ? output.absolutePath()
                               : w.Dir1->path();
    return QDir(folder).filePath("栅距测试.tif");
}

// A pitch read from a photograph of the chart: into the pitch list when it is
// new, and into the pitch box. False when the data file refuses.
bool addReadPitch(mainS& w, double pitch) {
    PitchStore store(w.dataFolder());
    if (!store.present()) {
        w.showMessage(QString::fromStdString(notFoundMessage()));
        return false;
    }
    const float value = toSingle(pitch);
    const Result<std::vector<float>> entries = store.load();
    Status added = entries ? Status::ok() : entries.status();
    if (added && !pitchListed(entries.value(), value)) {
        added = store.append(value);
    }
    if (!added) {
        w.showMessage(QString::fromStdString(added.message()));
        return false;
    }
    w.loadXJ();
    setTextIfChanged(w.Combo3, QString::fromStdString(formatSingle(value)));
    return true;
}

} // namespace

void mainS::CommandPitchTest_Click() {
    // Charts are printed the way runs are: at the printer's resolution when on.
    PitchChartSettings chart =
        defaultPitchChart(offeredPitch(*this), runSettingsOf(settingsTexts()).printerPpi);
    chart.horizontal = Op_h->isChecked();
    auto* dialog = new PitchTestDialog(
        chart, offeredFile(*this), dataFolder(), [this](const QString& text) { showMessage(text); },
        this);
    dialog->setPitchAdder([this](double pitch) { return addReadPitch(*this, pitch); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

} // namespace tovrel
