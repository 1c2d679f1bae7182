// The start button: the first click confirms the parameters, the second runs.

#include "app/main_window.h"

#include "app/double_click_guard.h"
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

// The summary of a run; `profile` is the output profile's file, if any.
void showSummary(mainS& w, double seconds, const std::string& profile) {
    const std::filesystem::path output(w.job.OutPath);
    std::error_code unknown;
    const uintmax_t bytes = std::filesystem::file_size(output, unknown);
    const RunSummary run{w.job.OutPath, w.job.tifW,          w.job.tifH,
                         w.job.fbl,     unknown ? 0 : bytes, seconds};
    auto [path, details] = summaryLines(run);
    if (!profile.empty()) {
        details += "  色彩：" + std::filesystem::path(profile).filename().string();
    }
    w.showRunStatus(QString::fromStdString(path + "\n" + details),
                    QString::fromStdString(output.parent_path().string()));
}

} // namespace

void mainS::confirmParameters() {
    const Confirmation c = confirmSettings(settingsTexts(), job.ViewCount);
    job.Pitch = c.Pitch;
    job.Sharp = c.Sharp;
    if (!c.valid) {
        showMessage("  请选择参数");
        return;
    }
    if (const auto size = printSizeProblem(settingsTexts())) {
        showMessage(QString::fromStdString(*size));
        return;
    }
    const int32_t ppi = runSettingsOf(settingsTexts()).printerPpi;
    if (Status lens = checkPrinterLens(job.ViewCount, c.Pitch, ppi); !lens) {
        showMessage(QString::fromStdString(lens.message()));
        return;
    }
    const Result<std::string> output =
        outputPathFor(TextOUT->text().toStdString(), Dir1->path().toStdString());
    if (!output) {
        showMessage(QString::fromStdString(output.message()));
        return;
    }
    Command1->setText(kStart);
    startGuard_->armedByLastPress();
    writeCredits();
    job.OutPath = output.value();
    // The box names the file the run writes, in full.
    TextOUT->setText(QString::fromStdString(output.value()));
    TextOUT->setReadOnly(true);
}

bool mainS::mayReplaceOutput() {
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(job.OutPath, unknown)) {
        return true;
    }
    return askQuestion("文件已存在，要替换吗？");
}

void mainS::runInterlacing() {
    // The program's own data file is never a run's output: refused like any
    // other output path the run cannot use.
    if (Status path = PitchStore(dataFolder()).checkOutputPath(job.OutPath); !path) {
        showMessage(QString::fromStdString(path.message()));
        resetStartButton();
        return;
    }
    if (!mayReplaceOutput()) {
        // Another name may be typed and confirmed.
        resetStartButton();
        return;
    }
    const RunSettings settings = runSettings();
    RunHooks hooks;
    hooks.makeTif = [this](JobState&, const std::filesystem::path& file, TiffForm form) {
        return MakeTif(file, form);
    };
    hooks.progress = [this](int value) {
        HScroll1->setValue(value);
        RunInputBlock::keepAlive();
    };
    RunResult result{RunOutcome::Refused, Status::ok()};
    showRunStatus({}, {});
    const auto started = std::chrono::steady_clock::now();
    {
        const RunInputBlock block(this);
        running_ = true;
        result = runInterlace(job, settings, hooks);
        running_ = false;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    switch (result.outcome) {
    case RunOutcome::Done:
    case RunOutcome::Failed:
        TextOUT->setReadOnly(false);
        HScroll1->setValue(0);
        Command1->setText(kConfirm);
        writeCredits();
        if (result.outcome == RunOutcome::Failed) {
            showMessage(QString::fromStdString(result.status.message()));
        } else {
            showSummary(*this, took.count(), settings.colour.outputProfile);
        }
        break;
    case RunOutcome::Refused:
        showMessage(QString::fromStdString(result.status.message()));
        resetStartButton();
        break;
    case RunOutcome::HeaderNotWritten:
        // MakeTif has said why. Nothing was written: the user may free room,
        // or type another output name as the message asks, and confirm again.
        resetStartButton();
        break;
    }
}

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
        confirmParameters();
    } else {
        runInterlacing();
    }
}

} // namespace tovrel
