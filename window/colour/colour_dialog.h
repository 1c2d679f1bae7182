#pragma once
// The colour dialog ("色彩"): the profile of pictures that carry none, the
// output profile (sRGB untagged, an RGB profile, or a press's CMYK
// profile), the rendering intent and black-point compensation. Its OK reads
// and checks the profiles; the window then decodes its pictures anew.

#include "colour/colour_plan.h"
#include "colour/profile_folder.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tovrel {

class ColourDialog : public QDialog {
    Q_OBJECT
  public:
    struct Window {
        ColourSettings settings;
        std::vector<std::string> recent; // profiles chosen lately, newest first
        InstalledProfiles installed;     // each list offers only what it can take
        std::function<void(const QString&)> showMessage;
    };
    explicit ColourDialog(Window window, QWidget* parent = nullptr);

    QComboBox* ComboInput = nullptr;
    QPushButton* CommandInputFile = nullptr;
    QComboBox* ComboOutput = nullptr;
    QPushButton* CommandOutputFile = nullptr;
    QComboBox* ComboIntent = nullptr;
    QCheckBox* CheckBpc = nullptr;
    QPushButton* CommandOK = nullptr;
    QPushButton* CommandCancel = nullptr;

    // While set, it answers instead of the file dialog.
    std::function<QString()> fileHook;

    // The settings as the controls hold them.
    ColourSettings settings() const;
    // What OK accepted, and the recent list with its profiles added.
    const ColourPlan& plan() const { return plan_; }
    const std::vector<std::string>& recent() const { return window_.recent; }

    void CommandInputFile_Click();
    void CommandOutputFile_Click();
    void CommandOK_Click();

  private:
    void fillProfiles(QComboBox* box, const QString& none, const std::string& chosen,
                      bool ProfileUses::*use, const std::vector<std::string>& installed);
    void chooseFile(QComboBox* box);

    Window window_;
    ColourPlan plan_;
};

} // namespace tovrel
