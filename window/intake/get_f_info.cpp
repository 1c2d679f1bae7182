// GetF_info: the chosen pictures' headers, previews and sizes, their common
// frame and the proposed print size. The arithmetic lives in the core
// (common_frame.h, preview_fit.h, size_proposal.h); this only reads and
// writes the controls.

#include "app/main_window.h"
#include "app/name_box.h"
#include "app/progress_scroll_bar.h"
#include "app/set_text.h"
#include "common/rounding.h"
#include "intake/common_frame.h"
#include "intake/frame_marker.h"
#include "intake/preview_fit.h"
#include "intake/size_proposal.h"
#include "intake/store_preview.h"
#include "params/print_size.h"
#include "render/run_input_block.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <optional>

namespace tovrel {

namespace {

// One side of the preview in whole pixels: both edges go to the nearest
// pixel, so a centred preview stays centred; a side keeps at least a pixel.
std::pair<int, int> pixelSpan(float start, float length) {
    const int first = static_cast<int>(roundHalfEven(start));
    const int last = static_cast<int>(roundHalfEven(double{start} + length));
    return {first, std::max(1, last - first)};
}

// Where the preview of a picture goes inside its preview box. The fit works
// on the box's inner area in pixels (inside its border, where the box's own
// coordinates begin) and the result is placed relative to that area.
QRect previewRect(const QFrame* box, int32_t imgW, int32_t imgH) {
    const QRect inner = box->contentsRect();
    const PreviewGeometry g = fitPreview(imgW, imgH, static_cast<float>(inner.width()),
                                         static_cast<float>(inner.height()));
    const auto [left, width] = pixelSpan(g.left, g.width);
    const auto [top, height] = pixelSpan(g.top, g.height);
    return {inner.left() + left, inner.top() + top, width, height};
}

// Qt refuses to decode pictures above a fixed memory limit (256 MB, about 67
// megapixels) to guard against hostile headers. A chosen picture's header
// has been checked against the file's length, so its decoded size is bounded
// by the file: the limit is raised to fit it while it is decoded.
class AllocationLimitFor {
  public:
    AllocationLimitFor(int32_t imgW, int32_t imgH) : saved_(QImageReader::allocationLimit()) {
        // Decoded as 32-bit pixels, plus a megabyte of slack.
        const int64_t megabytes = (int64_t{imgW} * imgH * 4 >> 20) + 1;
        if (saved_ > 0 && megabytes > saved_) {
            QImageReader::setAllocationLimit(
                static_cast<int>(std::min<int64_t>(megabytes, std::numeric_limits<int>::max())));
        }
    }
    ~AllocationLimitFor() { QImageReader::setAllocationLimit(saved_); }
    AllocationLimitFor(const AllocationLimitFor&) = delete;
    AllocationLimitFor& operator=(const AllocationLimitFor&) = delete;

  private:
    int saved_;
};

void showPicture(QLabel* image, QImage picture) {
    const qreal ratio = image->devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(std::move(picture));
    pixmap.setDevicePixelRatio(ratio);
    image->setPixmap(pixmap);
}

// Decodes the picture straight to the size it is shown at, so that no
// full-size copy stays in memory. False when it cannot be decoded.
bool loadPreview(QLabel* image, const QString& file, int32_t imgW, int32_t imgH) {
    const AllocationLimitFor limit(imgW, imgH);
    QImageReader reader(file, "bmp");
    const qreal ratio = image->devicePixelRatioF();
    reader.setScaledSize(image->size() * ratio);
    QImage picture = reader.read();
    if (picture.isNull()) {
        image->clear();
        return false;
    }
    showPicture(image, std::move(picture));
    return true;
}

// The preview of a decoded picture, from its row store: averaged down to at
// most the preview's size, then stretched to it.
bool loadStorePreview(QLabel* image, const JobState& job, int i, const OutputColour& output) {
    const QSize size = image->size() * image->devicePixelRatioF();
    const int32_t toW = std::min(size.width(), job.ImgW(i));
    const int32_t toH = std::min(size.height(), job.ImgH(i));
    const RowLayout rows{job.ImgW(i), job.ImgH(i), job.DataOff(i), job.ImgStride(i),
                         job.PixelBytes};
    Result<std::vector<uint8_t>> pixels = shrinkRows(job.RowPath(i), rows, toW, toH);
    if (pixels) {
        pixels = onScreen(output, std::move(pixels).value());
    }
    if (!pixels) {
        image->clear();
        return false;
    }
    const QImage small(pixels.value().data(), toW, toH, toW * 3, QImage::Format_BGR888);
    showPicture(image, small.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return true;
}

// OffX into the job; the Y anchors returned.
SlotArray<double> anchorsOf(mainS& w) {
    AnchorTexts textX;
    AnchorTexts textY;
    for (int i = 0; i < kSlots; ++i) {
        textX[static_cast<size_t>(i)] = w.TextX[i]->text().toStdString();
        textY[static_cast<size_t>(i)] = w.TextY[i]->text().toStdString();
    }
    return readAnchors(w.job, textX, textY);
}

QString shownPath(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

} // namespace

void mainS::GetF_info() {
    const SlotArray<double> offY = anchorsOf(*this);

    // Decoding a picture moves the progress bar and keeps the window painted,
    // with the user's input held off as during a run.
    std::optional<RunInputBlock> block;
    const DecodeProgress progress = [this, &block](int value) {
        if (!block) {
            block.emplace(this);
        }
        HScroll1->setValue(value);
        RunInputBlock::keepAlive();
    };
    for (int i = 1; i <= job.ViewCount; ++i) {
        Status header = readSlotHeader(job, i, &pictureCache_, progress);
        // A broken embedded profile: the user may take the picture as sRGB.
        if (!header && header.reason() == kBrokenEmbeddedProfile &&
            askQuestion(QString::fromStdString(header.message()) +
                        "\n要把这张图片按 sRGB 处理吗？")) {
            pictureCache_.takeAsSrgb(job.InPath(i));
            header = readSlotHeader(job, i, &pictureCache_, progress);
        }
        HScroll1->setValue(0);
        if (!header) {
            // From here on the slots hold no pictures: the job and the
            // window describe only the pictures read in full.
            job.ViewCount = static_cast<uint8_t>(i - 1);
            job.Views = static_cast<float>(i - 1);
            for (int j = i; j <= kSlots; ++j) {
                nameBox(j)->clear();
                Image1[j - 1]->clear();
                LabXY[j - 1]->clear();
            }
            showMessage(QString::fromStdString(header.message()));
            break;
        }
        QLabel* image = Image1[i - 1];
        image->setGeometry(previewRect(Picture1[i - 1], job.ImgW(i), job.ImgH(i)));
        LabXY[i - 1]->setText(QString::fromStdString(sizeLabel(job.ImgW(i), job.ImgH(i))));
        const bool shown = job.RowPath(i).empty()
                               ? loadPreview(image, QString::fromStdString(job.InPath(i)),
                                             job.ImgW(i), job.ImgH(i))
                               : loadStorePreview(image, job, i, pictureCache_.colour().output);
        if (!shown) {
            showMessage(QString("无法显示图片“%1”的预览：图片数据无法解码。图片已选用，预览留空。")
                            .arg(shownPath(job.InPath(i))));
        }
    }

    const CommonFrame frame = computeCommonFrame(job, offY);
    markCommonFrame(frame);
    if (!frame.found) {
        return;
    }
    proposePrintSize();
}

void mainS::markCommonFrame(const CommonFrame& frame) {
    for (int i = 1; i <= kSlots; ++i) {
        FrameMarker* marker = FrameMark[i - 1];
        const std::optional<PictureShare> share =
            frame.found && i <= job.ViewCount
                ? frameShare(job.ImgW(i), job.ImgH(i), job.FrameCol(i), frame.FrameRow(i),
                             job.BaseW, job.BaseH)
                : std::nullopt;
        if (!share) {
            marker->hide();
            continue;
        }
        // Over the picture as the preview shows it, stretched to its place.
        const QRectF shown = Image1[i - 1]->geometry();
        const QRectF area(shown.left() + share->left * shown.width(),
                          shown.top() + share->top * shown.height(), share->width * shown.width(),
                          share->height * shown.height());
        marker->mark(area.toAlignedRect());
    }
}

void mainS::proposePrintSize() {
    typedSize_ = TypedSize::None;
    proposedBaseW_ = job.BaseW;
    proposedBaseH_ = job.BaseH;
    const std::optional<std::string> width = proposedWidthText(job);
    if (!width) {
        return;
    }
    setTextIfChanged(CombK, QString::fromStdString(*width));
    const std::optional<std::string> height =
        proposedHeightText(CombK->currentText().toStdString(), job.Aspect);
    if (height) {
        setTextIfChanged(CombG, QString::fromStdString(*height));
    }
}

} // namespace tovrel

namespace tovrel {

void mainS::TextX_Change() {
    followAnchors();
}

void mainS::TextY_Change() {
    followAnchors();
}

void mainS::followAnchors() {
    if (job.ViewCount < 1) {
        return; // picking reads the anchors
    }
    resetStartButton();
    const CommonFrame frame = computeCommonFrame(job, anchorsOf(*this));
    markCommonFrame(frame);
    if (!frame.found) {
        return;
    }
    // A size the user typed stays; with the lock on, the other side follows
    // the new proportion.
    switch (typedSize_) {
    case TypedSize::None:
        // The proposal depends only on the frame's size: an unchanged size
        // leaves the boxes as picking with these anchors gives them.
        if (job.BaseW != proposedBaseW_ || job.BaseH != proposedBaseH_) {
            proposePrintSize();
        }
        break;
    // The typed box still holds the user's edit, so the exchange its handler
    // runs leaves it as typed.
    case TypedSize::Width:
        CombK_Change();
        break;
    case TypedSize::Height:
        CombG_Change();
        break;
    }
}

} // namespace tovrel
