#pragma once
// The mouse wheel changes a combo box, check box or scroll bar only while it
// has the keyboard focus. Scrolling over the window must not change a pitch
// or sharpness the pointer merely passes over.

class QWidget;

namespace tovrel {

// Guards the combo boxes, check boxes and scroll bars that are direct
// children of each given container; the wheel no longer gives them the focus.
void guardWheel(QWidget* container);

} // namespace tovrel
