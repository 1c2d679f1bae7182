// The start button: the first click confirms the parameters, the second runs.

#include "app/main_window.h"

#include "app/fitted_text.h"
#include "app/folder_list.h"
#include "app/progress_scroll_bar.h"
#include "job/output_name.h"
#include "params/pitch_store.h"
#include "params/print_settings.h"
#include "render/interlace_engine.h"
#include "render/printer_grid.h"
#include "render/run_input_block.h"
#include "render/run_summary.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>

namespace tovrel {

namespace {

const QString kConfirm = "确定";
const QString kStart = "开始";

void confirmParameters(mainS& w) {
    const Confirmation c = confirmSettings(w.settingsTexts(), w.job.ViewCount);
    w.job.Pitch = c.Pitch;
    w.job.Sharp = c.Sharp;
    if (!c.valid) {
        w.showMessage("  请选择参数");
        return;
    }
    const int32_t ppi = runSettingsOf(w.settingsTexts()).printerPpi;
    if (Status lens = checkPrinterLens(w.job.ViewCount, c.Pitch, ppi); !lens) {
        w.showMessage(QString::fromStdString(lens.message()));
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
    const RunSettings settings = runSettingsOf(w.settingsTexts());
    RunHooks hooks;
    hooks.makeTif = [&w](JobState&, const std::filesystem::path& file, TiffForm form) {
        return w.MakeTif(file, form);
    };
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
