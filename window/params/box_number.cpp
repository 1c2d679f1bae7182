#include "params/box_number.h"

#include "common/leading_number.h"

#include <QComboBox>

namespace tovrel {

double boxNumber(const QComboBox* box) {
    return leadingNumber(box->currentText().toStdString());
}

} // namespace tovrel
