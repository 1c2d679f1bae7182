// The start button: the first click confirms the parameters, the second runs.

#include "app/main_window.h"

#include "app/progress_scroll_bar.h"
#include "params/pitch_store.h"
#include "params/print_settings.h"
#include "render/interlace_engine.h"
#include "render/run_input_block.h"

#include <QLineEdit>
#include <QPushButton>

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
    w.Command1->setText(kStart);
    w.writeCredits();
    w.job.OutPath = w.TextOUT->text().toStdString();
    w.TextOUT->setReadOnly(true);
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
    hooks.makeTif = [&w](JobState&, const std::filesystem::path& file) { return w.MakeTif(file); };
    hooks.progress = [&w](int value) {
        w.HScroll1->setValue(value);
        RunInputBlock::keepAlive();
    };
    RunResult result{RunOutcome::Refused, Status::ok()};
    {
        const RunInputBlock block(&w);
        result = runInterlace(w.job, settings, hooks);
    }
    switch (result.outcome) {
    case RunOutcome::Done:
    case RunOutcome::Failed:
        w.TextOUT->setReadOnly(false);
        w.HScroll1->setValue(0);
        w.Command1->setText(kConfirm);
        w.writeCredits();
        if (result.outcome == RunOutcome::Failed) {
            w.showMessage(QString::fromStdString(result.status.message()));
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

void mainS::Command1_Click() {
    if (Command1->text() == kConfirm) {
        confirmParameters(*this);
    } else {
        runInterlacing(*this);
    }
}

} // namespace tovrel
