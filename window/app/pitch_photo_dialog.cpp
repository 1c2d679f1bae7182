#include "app/pitch_photo_dialog.h"

#include "app/window_fonts.h"
#include "common/leading_number.h"

#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovrel {

namespace {

constexpr int kPhotoSide = 560;

// The photograph at display size, the targets ringed and every band's line
// drawn: green where its stripes counted, grey where they did not.
QPixmap markedPhoto(const QString& file, const PitchReading& r) {
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage photo = reader.read();
    if (photo.isNull()) {
        return {};
    }
    QImage shown =
        photo.scaled(kPhotoSide, kPhotoSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    const double scale = double(shown.width()) / photo.width();
    QPainter paint(&shown);
    paint.setRenderHint(QPainter::Antialiasing);
    for (std::size_t j = 0; j < r.bands.size(); ++j) {
        const BandReading& b = r.bands[j];
        const bool nearest = int(j) == r.nearestBand;
        paint.setPen(QPen(nearest  ? QColor(230, 40, 40)
                          : b.used ? QColor(40, 200, 60)
                                   : QColor(150, 150, 150),
                          nearest ? 2.5 : 1.2));
        paint.drawLine(QPointF(b.ends[0].x * scale, b.ends[0].y * scale),
                       QPointF(b.ends[1].x * scale, b.ends[1].y * scale));
    }
    paint.setPen(QPen(QColor(255, 140, 0), 2));
    for (const PlanePoint& t : r.targets) {
        paint.drawEllipse(QPointF(t.x * scale, t.y * scale), 8, 8);
    }
    return QPixmap::fromImage(shown);
}

} // namespace

PitchPhotoDialog::PitchPhotoDialog(const PitchChartSettings& chart, const QString& photo,
                                   const PitchReading& reading,
                                   std::function<bool(double)> addPitch, QWidget* parent)
    : QDialog(parent), reading_(reading), addPitch_(std::move(addPitch)) {
    setObjectName("PitchPhotoDialog");
    setWindowTitle("从照片读取栅距");
    setFont(heiFont(9));
    LabelPhoto = new QLabel(this);
    LabelPhoto->setObjectName("LabelPhoto");
    LabelPhoto->setPixmap(markedPhoto(photo, reading));
    LabelResult = new QLabel(QString::fromStdString(readingSummary(reading, chart)), this);
    LabelResult->setObjectName("LabelResult");
    LabelResult->setFont(heiFont(12));
    LabelResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CommandAdd = new QPushButton("加入栅距列表", this);
    CommandAdd->setObjectName("CommandAdd");
    CommandAdd->setDefault(true);
    CommandClose = new QPushButton("关闭", this);
    CommandClose->setObjectName("CommandClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommandAdd);
    buttons->addWidget(CommandClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelPhoto, 0, Qt::AlignCenter);
    layout->addWidget(LabelResult);
    layout->addLayout(buttons);
    connect(CommandAdd, &QPushButton::clicked, this, &PitchPhotoDialog::CommandAdd_Click,
            Qt::DirectConnection);
    connect(CommandClose, &QPushButton::clicked, this, &QDialog::reject, Qt::DirectConnection);
}

void PitchPhotoDialog::CommandAdd_Click() {
    // The pitch as shown, to 6 decimals.
    if (addPitch_(leadingNumber(pitchText(reading_.pitch)))) {
        CommandAdd->setEnabled(false);
        CommandAdd->setText("已加入栅距列表");
    }
}

} // namespace tovrel
