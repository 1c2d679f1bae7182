#include "app/fitted_text.h"

#include <QFontMetrics>
#include <QLabel>

namespace tovrel {

void setFittedText(QLabel* label, const QString& text, Qt::TextElideMode mode) {
    const QFontMetrics metrics(label->font());
    const int width = label->contentsRect().width();
    QStringList lines = text.split('\n');
    bool shortened = false;
    for (QString& line : lines) {
        const QString fitted = metrics.elidedText(line, mode, width);
        shortened = shortened || fitted != line;
        line = fitted;
    }
    label->setText(lines.join('\n'));
    label->setToolTip(shortened ? text : QString());
}

} // namespace tovrel
