// The pitch test button: opens the pitch test dialog over the window.

#include "app/main_window.h"

#include "app/folder_list.h"
#include "app/pitch_test_dialog.h"
#include "common/leading_number.h"
#include "common/number_format.h"

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

} // namespace

void mainS::CommandPitchTest_Click() {
    // Charts are printed the way runs are: at the printer's resolution when on.
    PitchChartSettings chart =
        defaultPitchChart(offeredPitch(*this), runSettingsOf(settingsTexts()).printerPpi);
    chart.horizontal = Op_h->isChecked();
    auto* dialog = new PitchTestDialog(
        chart, offeredFile(*this), dataFolder(), [this](const QString& text) { showMessage(text); },
        this);
    dialog->setPitchAdder([this](double pitch) { return addReadPitch(pitch); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

} // namespace tovrel
