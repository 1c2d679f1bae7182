#pragma once
// A button that takes a double click as one click: the second press of a
// double click, and any press within the double-click interval of the press
// that armed the button, is dropped with the release that follows it.

#include <QObject>
#include <optional>

class QAbstractButton;

namespace tovrel {

class DoubleClickGuard : public QObject {
  public:
    explicit DoubleClickGuard(QAbstractButton* button);

    // The click just handled armed the button: a press that follows it within
    // the double-click interval is dropped.
    void armedByLastPress();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    unsigned long lastPress_ = 0;
    std::optional<unsigned long> armingPress_;
};

} // namespace tovrel
