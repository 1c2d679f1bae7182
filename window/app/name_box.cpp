#include "app/name_box.h"

namespace tovrel {

void NameBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit gotFocus();
}

} // namespace tovrel
