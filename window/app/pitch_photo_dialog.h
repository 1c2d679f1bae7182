#pragma once
// The pitch read from a photograph of the printed chart under the lens sheet:
// the photograph with the found targets and the bands' lines drawn over it,
// the pitch with its uncertainty and nearest band, and a button that puts
// the pitch into the pitch list.

#include "chart/pitch_chart.h"
#include "pitch_reading/pitch_reading.h"

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace tovrel {

class PitchPhotoDialog : public QDialog {
    Q_OBJECT
  public:
    // reading: what was read from `photo`. addPitch puts the pitch into the
    // pitch list and says whether it could.
    PitchPhotoDialog(const PitchChartSettings& chart, const QString& photo,
                     const PitchReading& reading, std::function<bool(double)> addPitch,
                     QWidget* parent = nullptr);

    QLabel* LabelPhoto = nullptr;
    QLabel* LabelResult = nullptr;
    QPushButton* CommandAdd = nullptr;
    QPushButton* CommandClose = nullptr;

    void CommandAdd_Click();

  private:
    PitchReading reading_;
    std::function<bool(double)> addPitch_;
};

} // namespace tovrel
