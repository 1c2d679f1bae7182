#pragma once
// How the window's handlers are tied to the signals of option buttons and
// editable combo boxes.
//
// Picking an item of an editable combo box makes Qt raise two signals: the
// edit text changes, then the item is activated. The window's boxes handle a
// pick and an edit alike, so the pair must count as one event.

#include <functional>

class QComboBox;
class QRadioButton;

namespace tovrel {

// Runs change on every change of the box's edit text (typed, picked or set by
// code, at once), and click when an item is picked without changing the text.
// Qt also activates an item when typing ends (Return or leaving the box) on a
// text equal to an item's; that text was handled while it was typed, so it
// runs nothing.
void connectChangeAndClick(QComboBox* box, std::function<void()> change,
                           std::function<void()> click);

// Runs chosen whenever the option button becomes the chosen one of its group,
// by the user or by code; leaving it runs nothing.
void connectChosen(QRadioButton* option, std::function<void()> chosen);

} // namespace tovrel
