#pragma once
// A text box that tells when it takes the keyboard focus, whether by a click,
// by Tab or by the program.

#include <QLineEdit>

namespace tovrel {

class NameBox : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  signals:
    void gotFocus();

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace tovrel
