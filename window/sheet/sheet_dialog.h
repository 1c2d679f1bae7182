#pragma once
// The sheet dialog ("拼版"): whether the run writes a press sheet of copies
// instead of one card, the paper, the copies, gutter, bleed and marks, and a
// drawing of the sheet to scale, redrawn as the values change. OK hands the
// settings to the main window; its runs then write the sheet.

#include "common/status.h"
#include "params/sheet_settings.h"
#include "sheet/sheet_geometry.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace tovrel {

class SheetDialog : public QDialog {
    Q_OBJECT
  public:
    struct Window {
        SheetSettings press; // the settings in force
        // The sheet those settings give for the window's card, or why none.
        std::function<Result<SheetLayout>(const SheetSettings&)> layoutOf;
        std::function<void(const SheetSettings&)> apply; // OK
    };
    explicit SheetDialog(Window window, QWidget* parent = nullptr);

    // The settings as the controls hold them.
    SheetSettings settings() const;

    QCheckBox* CheckSheet = nullptr;
    QComboBox* ComboPaper = nullptr;      // presets, then "自定义"
    QDoubleSpinBox* SpinPaperW = nullptr; // cm, for "自定义"
    QDoubleSpinBox* SpinPaperH = nullptr;
    QCheckBox* CheckAuto = nullptr; // as many copies as fit
    QSpinBox* SpinRows = nullptr;
    QSpinBox* SpinColumns = nullptr;
    QDoubleSpinBox* SpinGutter = nullptr; // mm
    QDoubleSpinBox* SpinBleed = nullptr;  // mm
    QCheckBox* CheckMarks = nullptr;
    QLabel* LabelDrawing = nullptr;
    QLabel* LabelLayout = nullptr; // copies and gutters used, or what is wrong

  private:
    void showSettings(const SheetSettings& press);
    void redraw();

    Window window_;
};

} // namespace tovrel
