#pragma once
// The pitch test dialog: the chart's nominal pitch, range, step, resolution,
// width, band height, line direction and paper, and the file to save it in. Makes
// the chart with a moving progress bar and tells the user what to do with it.

#include "chart/pitch_chart.h"

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tovrel {

class PitchTestDialog : public QDialog {
    Q_OBJECT
  public:
    // chart: the values offered (its pitch may be 0: not known yet). file:
    // the file offered. dataFolder: the folder of kvxj.dll. Messages go to
    // showMessage.
    PitchTestDialog(const PitchChartSettings& chart, const QString& file,
                    std::filesystem::path dataFolder,
                    std::function<void(const QString&)> showMessage, QWidget* parent = nullptr);

    QLineEdit* TextPitch = nullptr;
    QLineEdit* TextRange = nullptr;
    QLineEdit* TextStep = nullptr;
    QLineEdit* TextRes = nullptr;
    QLineEdit* TextWidth = nullptr;
    QLineEdit* TextBand = nullptr;
    QRadioButton* OpVertical = nullptr;
    QRadioButton* OpHorizontal = nullptr;
    QComboBox* ComboPaper = nullptr; // A4, A3, Letter
    QLineEdit* TextFile = nullptr;
    QPushButton* CommandBrowse = nullptr;
    QPushButton* CommandMake = nullptr;
    QPushButton* CommandClose = nullptr;
    QPushButton* CommandPhoto = nullptr;
    QProgressBar* ProgressChart = nullptr;

    // What puts a pitch read from a photograph into the pitch list.
    void setPitchAdder(std::function<bool(double)> addPitch) { addPitch_ = std::move(addPitch); }

    // Checks the fields and writes the chart; the message says what to do
    // next or what is wrong.
    void CommandMake_Click();
    void CommandBrowse_Click();
    // A new pitch brings its range and step along until the user types them.
    void TextPitch_Change();
    // Asks for a photograph of the printed chart under the lens sheet.
    void CommandPhoto_Click();
    // Reads the pitch from it with the fields' chart and shows the result
    // over the photograph, or says what to do.
    void readPhoto(const QString& file);

  private:
    void buildControls(const PitchChartSettings& chart, const QString& file);
    Result<PitchChartSettings> fieldsChart() const;

    std::filesystem::path dataFolder_;
    std::function<void(const QString&)> showMessage_;
    std::function<bool(double)> addPitch_;
    bool rangeTyped_ = false;
    bool stepTyped_ = false;
};

} // namespace tovrel
