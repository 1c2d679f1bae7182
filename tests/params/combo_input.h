#pragma once
// Driving a combo box as a user does: typing and pasting into its edit field,
// picking an item from its list by keyboard or by mouse. The box's window must
// be the active one.

#include <QString>

class QComboBox;

namespace tovrel::test {

// Focuses the box, selects its whole text and types over it.
void typeInto(QComboBox* box, const QString& text);

// Focuses the box, selects its whole text and pastes over it with Ctrl+V.
void pasteInto(QComboBox* box, const QString& text);

// Opens the list with F4, walks to the item with the arrow keys, takes it
// with Return.
void pickByKeys(QComboBox* box, int index);

// Opens the list with F4 and clicks the item.
void pickByClick(QComboBox* box, int index);

} // namespace tovrel::test
