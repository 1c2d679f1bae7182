// "拼版…" in the "更多…" menu: opens the sheet dialog over the window, with
// the window's card as the drawing's card.

#include "app/main_window.h"

#include "render/run_checks.h"
#include "sheet/sheet_dialog.h"

namespace tovrel {

Result<SheetLayout> mainS::sheetLayout(const SheetSettings& press) const {
    SettingsTexts texts = settingsTexts();
    texts.press = press;
    const Confirmation confirmed = confirmSettings(texts, job.ViewCount);
    if (!confirmed.valid) {
        return Status::fail("先选好图片、栅距和清晰倍数，才能画出拼版。");
    }
    JobState card = job;
    card.Pitch = confirmed.Pitch;
    card.Sharp = confirmed.Sharp;
    const RunSettings settings = runSettingsOf(texts);
    if (Status plan = planRun(card, settings); !plan) {
        return plan;
    }
    return sheetLayoutOf(card, settings);
}

void mainS::ActionSheet_Click() {
    SheetDialog::Window window;
    window.press = press_;
    window.layoutOf = [this](const SheetSettings& press) { return sheetLayout(press); };
    window.apply = [this](const SheetSettings& press) {
        press_ = press;
        // An open flip preview shows the card with its bleed.
        flipInputsChanged();
    };
    auto* dialog = new SheetDialog(std::move(window), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

} // namespace tovrel
