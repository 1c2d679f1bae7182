#pragma once
// Setting a box's text from code. The boxes' change signals are connected
// directly, so a real change runs the box's change handler at once, nested in
// the running handler; setting the text a box already shows is no change.

#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;

namespace tovrel {

// The edit text of an editable combo box.
void setTextIfChanged(QComboBox* box, const QString& text);
void setTextIfChanged(QLineEdit* box, const QString& text);

// Replaces a combo box's list without raising any of its events: an editable
// box keeps its edit text, and no item is selected afterwards.
void replaceItems(QComboBox* box, const QStringList& items);

} // namespace tovrel
