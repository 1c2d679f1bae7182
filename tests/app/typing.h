#pragma once
// Typing into a focused box as a user would: ASCII by key presses, other
// characters committed by an input method.

#include <QString>

class QWidget;

namespace tovrel::test {

void typeText(QWidget* box, const QString& text);

} // namespace tovrel::test
