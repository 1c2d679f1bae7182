#pragma once
// A label's text that may not fit its label: each line shortened with "…"
// to the label's width, the whole text then as its tooltip.

#include <QString>

class QLabel;

namespace tovrel {

// mode: where a line loses characters (Qt::ElideRight keeps a number's
// start, Qt::ElideMiddle a path's both ends).
void setFittedText(QLabel* label, const QString& text, Qt::TextElideMode mode);

} // namespace tovrel
