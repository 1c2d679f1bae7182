#pragma once
// The frames dialog ("多帧"): a card of 2 to 64 frames (animation, depth)
// from a folder or several files. Shows the frames as thumbnails in order,
// moves, reverses and drops them, takes the key frame and the parallax, and
// runs with the main window's print settings: the same file as the batch
// tool's with the same frames and options.

#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "params/print_settings.h"
#include "render/run_geometry.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace tovrel {

class FlipPreview;

class FramesDialog : public QDialog {
    Q_OBJECT
  public:
    // What the main window hands over: its settings, where its data file and
    // picture cache are, the folder to start in and the output file offered.
    struct Window {
        SettingsTexts settings;
        std::filesystem::path dataFolder;
        const PictureCache* cache = nullptr;
        QString folder;
        QString output;
        std::function<void(const QString&)> showMessage;
    };
    explicit FramesDialog(Window window, QWidget* parent = nullptr);

    QPushButton* CommandFolder = nullptr;
    QPushButton* CommandFiles = nullptr;
    QListWidget* ListFrames = nullptr;
    QPushButton* CommandEarlier = nullptr;
    QPushButton* CommandLater = nullptr;
    QPushButton* CommandReverse = nullptr;
    QPushButton* CommandDrop = nullptr;
    QSpinBox* SpinKey = nullptr;
    QDoubleSpinBox* SpinParallax = nullptr;
    QLineEdit* TextFile = nullptr;
    QPushButton* CommandPreview = nullptr; // the card through the flip preview
    QPushButton* CommandRun = nullptr;
    QPushButton* CommandClose = nullptr;
    QProgressBar* ProgressRun = nullptr;
    QLabel* LabelCount = nullptr;

    // While set, these answer instead of the file dialogs.
    std::function<QString()> folderHook;
    std::function<QStringList()> filesHook;

    // The frames in order, full paths.
    QStringList frames() const;
    void setFrames(const QStringList& paths);

    void CommandFolder_Click();
    void CommandFiles_Click();
    void CommandEarlier_Click();
    void CommandLater_Click();
    void CommandReverse_Click();
    void CommandDrop_Click();
    void CommandPreview_Click();
    void CommandRun_Click();

  private:
    // The frames chosen, with pitch, sharpness and settings as a run takes
    // them; nothing, after a message, when they cannot be.
    struct Card {
        JobState job;
        RunSettings settings;
    };
    std::optional<Card> card();
    void buildControls();
    void moveCurrent(int by);
    void framesChanged();

    Window window_;
    QPointer<FlipPreview> preview_;
};

} // namespace tovrel
