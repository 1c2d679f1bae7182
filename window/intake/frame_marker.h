#pragma once
// A thin rectangle over a preview: the part of the picture the card uses.
// Drawn light on dark, so that it shows on any picture; it takes no input.

#include <QWidget>

namespace tovrel {

class FrameMarker : public QWidget {
    Q_OBJECT
  public:
    explicit FrameMarker(QWidget* parent);

    // Shows the rectangle around area (in the parent's coordinates).
    void mark(const QRect& area);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tovrel
