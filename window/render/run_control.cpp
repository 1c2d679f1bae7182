// The start button: the first click confirms the parameters, the second runs.

#include "app/main_window.h"

#include "app/fitted_text.h"
#include "app/folder_list.h"
#include "app/progress_scroll_bar.h"
#include "common/leading_number.h"
#include "common/rounding.h"
#include "job/output_name.h"
#include "params/pitch_store.h"
#include "render/interlace_engine.h"
#include "render/run_input_block.h"
#include "render/run_summary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>

namespace tovrel {

namespace {

const QString kConfirm = "确定";
const QString kStart = "开始";

double numberIn(const QString& text) {
    return leadingNumber(text.toStdString());
}

void confirmParameters(mainS& w) {
    w.job.Pitch = toSingle(numberIn(w.Combo3->currentText()));
    w.job.Sharp = toSingle(numberIn(w.Combo4->currentText()));
    if (w.job.Sharp == 0 || w.job.Pitch == 0 || w.job.ViewCount < 2) {
        w.showMessage("  请选择参数");
        return;
    }
    const Result<std::string> output =
        outputPathFor(w.TextOUT->text().toStdString(), w.Dir1->path().toStdString());
    if (!output) {
        w.showMessage(QString::fromStdString(output.message()));
        return;
    }
    w.Command1->setText(kStart);
    w.writeCredits();
    w.job.OutPath = output.value();
    // The box names the file the run writes, in full.
    w.TextOUT->setText(QString::fromStdString(output.value()));
    w.TextOUT->setReadOnly(true);
}

// The white-gap width: the whole number an item i/N of the list starts with.
int32_t whiteWidthOf(const QComboBox* list) {
    if (list->currentIndex() < 0) {
        return 0;
    }
    return roundToLong(numberIn(list->itemText(list->currentIndex()))).value_or(0);
}

RunSettings settingsOf(const mainS& w) {
    RunSettings settings;
    settings.widthCm = numberIn(w.CombK->currentText());
    settings.heightCm = numberIn(w.CombG->currentText());
    settings.whiteGaps = w.LB1->isChecked();
    settings.whiteWidth = whiteWidthOf(w.Combo1);
    settings.horizontal = w.Op_h->isChecked();
    return settings;
}

void showSummary(mainS& w, double seconds) {
    const std::filesystem::path output(w.job.OutPath);
    std::error_code unknown;
    const uintmax_t bytes = std::filesystem::file_size(output, unknown);
    const RunSummary run{w.job.OutPath, w.job.tifW,          w.job.tifH,
                         w.job.fbl,     unknown ? 0 : bytes, seconds};
    const auto [path, details] = summaryLines(run);
    w.showRunStatus(QString::fromStdString(path + "\n" + details),
                    QString::fromStdString(output.parent_path().string()));
}

void runInterlacing(mainS& w) {
    // The program's own data file is never a run's output: refused like any
    // other output path the run cannot use, and the run stays armed.
    if (Status path = PitchStore(w.dataFolder()).checkOutputPath(w.job.OutPath); !path) {
        w.showMessage(QString::fromStdString(path.message()));
        return;
    }
    const RunSettings settings = settingsOf(w);
    RunHooks hooks;
    hooks.makeTif = [&w](JobState&, const std::filesystem::path& file) { return w.MakeTif(file); };
    hooks.progress = [&w](int value) {
        w.HScroll1->setValue(value);
        RunInputBlock::keepAlive();
    };
    RunResult result{RunOutcome::Refused, Status::ok()};
    w.showRunStatus({}, {});
    const auto started = std::chrono::steady_clock::now();
    {
        const RunInputBlock block(&w);
        result = runInterlace(w.job, settings, hooks);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    switch (result.outcome) {
    case RunOutcome::Done:
    case RunOutcome::Failed:
        w.TextOUT->setReadOnly(false);
        w.HScroll1->setValue(0);
        w.Command1->setText(kConfirm);
        w.writeCredits();
        if (result.outcome == RunOutcome::Failed) {
            w.showMessage(QString::fromStdString(result.status.message()));
        } else {
            showSummary(w, took.count());
        }
        break;
    case RunOutcome::Refused:
        // Nothing was touched: the run stays armed for another try.
        w.showMessage(QString::fromStdString(result.status.message()));
        break;
    case RunOutcome::HeaderNotWritten:
        // MakeTif has said why; the run stays armed.
        break;
    }
}

} // namespace

void mainS::showRunStatus(const QString& lines, const QString& folder) {
    setFittedText(LabelDone, lines, Qt::ElideMiddle);
    doneFolder_ = folder;
    CommandOpen->setEnabled(!folder.isEmpty());
}

void mainS::CommandOpen_Click() {
    if (!doneFolder_.isEmpty()) {
        openFolder(doneFolder_);
    }
}

void mainS::Command1_Click() {
    if (Command1->text() == kConfirm) {
        confirmParameters(*this);
    } else {
        runInterlacing(*this);
    }
}

} // namespace tovrel
