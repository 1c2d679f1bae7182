#pragma once
// A combo box's text read as a number by the leading-number rule.

class QComboBox;

namespace tovrel {

double boxNumber(const QComboBox* box);

} // namespace tovrel
