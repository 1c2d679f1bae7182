#pragma once
// A horizontal scroll bar from 0 to 1000 that shows the progress of a run.
// It takes the focus like any control, but only the program moves it: mouse,
// wheel and keys leave its value alone.

#include <QScrollBar>

namespace tovrel {

class ProgressScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    explicit ProgressScrollBar(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace tovrel
