// "色彩…" in the "更多…" menu: opens the colour dialog; what it accepts
// becomes the colour of the picture cache, and the chosen pictures are
// decoded anew under it.

#include "app/main_window.h"

#include "colour/colour_dialog.h"
#include "colour/profile_folder.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

namespace tovrel {

namespace {
constexpr const char* kRecentKey = "colour/recent";
} // namespace

void mainS::ActionColour_Click() {
    ColourDialog::Window window;
    window.settings = pictureCache_.colour().settings;
    for (const QString& file : QSettings().value(kRecentKey).toStringList()) {
        window.recent.push_back(QFile::encodeName(file).toStdString());
    }
    window.installed = profilesUnder(kSystemProfileFolder);
    window.showMessage = [this](const QString& text) { showMessage(text); };
    auto* dialog = new ColourDialog(std::move(window), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        QStringList recent;
        for (const std::string& file : dialog->recent()) {
            recent.push_back(QFile::decodeName(file.c_str()));
        }
        QSettings().setValue(kRecentKey, recent);
        if (dialog->plan().settings == pictureCache_.colour().settings) {
            return;
        }
        pictureCache_.setColour(dialog->plan());
        if (job.ViewCount > 0) {
            GetF_info(); // the stores hold the pixels of the new output
        }
    });
    dialog->show();
}

} // namespace tovrel
