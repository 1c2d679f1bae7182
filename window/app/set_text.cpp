#include "app/set_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace tovrel {

void setTextIfChanged(QComboBox* box, const QString& text) {
    if (box->currentText() != text) {
        box->setEditText(text);
    }
}

void setTextIfChanged(QLineEdit* box, const QString& text) {
    if (box->text() != text) {
        box->setText(text);
    }
}

void replaceItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker quiet(box);
    const QString editText = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    if (box->isEditable()) {
        box->setEditText(editText);
    }
}

} // namespace tovrel
