#pragma once
// The flip preview: the card the run would print, seen through a simulated
// lens sheet, large. A slider tilts the card (the viewing phase), a play
// button tilts it to and fro, a spin box makes the lenses wider or narrower
// than the print's (the pitch error), and the sweep and the view at hand are
// saved as an animated GIF and a PNG picture for approval.
//
// The main window hands it the pictures and settings on every change; the
// simulation itself is the core's (flip/flip_simulator.h).

#include "flip/flip_simulator.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "render/run_geometry.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tovrel {

class FlipPreview : public QWidget {
    Q_OBJECT
  public:
    // dataFolder: the folder of kvxj.dll, never written over by an export;
    // pictures: the window's picture cache, which outlives the preview (the
    // gamut marks decode the pictures in sRGB through it).
    FlipPreview(std::filesystem::path dataFolder, const PictureCache& pictures, QWidget* parent);

    // The chosen pictures with pitch and sharpness, and the run's settings.
    // Inputs equal to the last ones change nothing.
    void setInputs(const JobState& job, const RunSettings& settings);
    // Drops what was read from the pictures, so the next inputs read them anew.
    void reload();

    QLabel* ImageView = nullptr;    // the simulated card
    QSlider* SliderPhase = nullptr; // viewing phase, 0 to 999 thousandths
    QLabel* LabelPhase = nullptr;   // the phase as a number
    QPushButton* CommandPlay = nullptr;
    QDoubleSpinBox* SpinPitchError = nullptr; // percent
    QPushButton* CommandGif = nullptr;
    QPushButton* CommandPng = nullptr;
    // "标出色域外": marks the colours the output profile cannot print; only
    // with an output profile.
    QCheckBox* CheckGamut = nullptr;
    QLabel* LabelState = nullptr; // why there is no view, or what was saved

    // Asks where an export goes (a save dialog); tests set it.
    std::function<QString(const QString& caption, const QString& filter)> savePathHook;
    // Receives message texts instead of a message box; tests set it.
    std::function<void(const QString&)> messageHook;

    // The view on screen, and the phase and pitch error it shows.
    const QImage& shownImage() const { return shown_; }
    double phase() const;
    double pitchError() const;
    bool playing() const { return playTimer_.isActive(); }
    const FlipSimulator* simulator() const { return simulator_ ? &*simulator_ : nullptr; }

    // Phases per tilt of the play button (the saved sweep's are the core's).
    static constexpr int32_t kPlaySteps = 40;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // As in a dialog: Esc closes the preview; Enter presses the button that
    // has the focus, else the play button, the default one.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void scheduleView();
    void showView();
    void showProblem(const QString& text);
    void togglePlay();
    void playStep();
    void saveGif();
    void savePng();
    void exportFile(const QString& caption, const QString& filter, const QString& suffix,
                    const std::function<Result<std::vector<uint8_t>>(ViewSize)>& encode);
    void showMessage(const QString& text);
    ViewSize viewSize() const;

    void CheckGamut_Click();

    std::filesystem::path dataFolder_;
    const PictureCache& pictures_;
    std::optional<FlipSimulator> simulator_;
    JobState inputJob_;
    RunSettings inputSettings_;
    bool phaseChosen_ = false; // the user's phase is kept across new inputs
    QTimer playTimer_;
    int64_t playFrame_ = 0;
    bool viewPending_ = false;
    QImage shown_;
};

} // namespace tovrel
