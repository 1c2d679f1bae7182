// "色彩…" in the "更多…" menu: opens the colour dialog; what it accepts
// becomes the colour of the picture cache, and the chosen pictures are
// decoded anew under it. The choice is kept in the user's settings for the
// next session.

#include "app/main_window.h"

#include "colour/colour_dialog.h"
#include "colour/profile_folder.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTimer>

namespace tovrel {

namespace {
constexpr const char* kRecentKey = "colour/recent";
constexpr const char* kInputKey = "colour/input";
constexpr const char* kOutputKey = "colour/output";
constexpr const char* kIntentKey = "colour/intent";
constexpr const char* kBpcKey = "colour/bpc";

std::string fileOf(const QVariant& value) {
    return QFile::encodeName(value.toString()).toStdString();
}
} // namespace

void mainS::loadColourChoice() {
    const QSettings kept;
    ColourSettings s;
    s.inputProfile = fileOf(kept.value(kInputKey));
    s.outputProfile = fileOf(kept.value(kOutputKey));
    const int intent = kept.value(kIntentKey, int(s.intent)).toInt();
    if (intent >= int(RenderIntent::Perceptual) && intent <= int(RenderIntent::Absolute)) {
        s.intent = static_cast<RenderIntent>(intent);
    }
    s.blackPointCompensation = kept.value(kBpcKey, s.blackPointCompensation).toBool();
    RestoredColour restored = restoredColourOf(s);
    pictureCache_.setColour(std::move(restored.plan));
    if (restored.dropped.empty()) {
        return;
    }
    // Said once: the choice kept from now on is the one in use.
    saveColourChoice();
    QString files;
    for (const std::string& file : restored.dropped) {
        files += "\n" + QFile::decodeName(file.c_str());
    }
    showMessage("上次使用的色彩配置文件已无法打开，已改用 sRGB：" + files);
}

void mainS::saveColourChoice() {
    const ColourSettings& s = pictureCache_.colour().settings;
    QSettings kept;
    kept.setValue(kInputKey, QFile::decodeName(s.inputProfile.c_str()));
    kept.setValue(kOutputKey, QFile::decodeName(s.outputProfile.c_str()));
    kept.setValue(kIntentKey, int(s.intent));
    kept.setValue(kBpcKey, s.blackPointCompensation);
}

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
        saveColourChoice();
        // Decoding anew keeps the window answering (it handles events), which
        // would delete the closing dialog while it is still signalling: the
        // pictures follow once the dialog is done.
        QTimer::singleShot(0, this, [this] {
            if (job.ViewCount > 0) {
                GetF_info(); // the stores hold the pixels of the new output
            }
            flipPicturesChanged(); // an open flip preview shows the new colours
        });
    });
    dialog->show();
}

} // namespace tovrel
