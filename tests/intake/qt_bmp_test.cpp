// Pictures written by Qt's own BMP writer, read back through the header
// reader, the common frame and the frame row positions.

#include "intake/bmp_header.h"
#include "intake/bmp_layout.h"
#include "intake/common_frame.h"
#include "tests/support/temp_dir.h"

#include <QImage>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

// Colour of the point dx, dy pixels right of and below a picture's anchor, so
// that all pictures agree wherever their anchors are laid on each other.
QRgb aroundAnchor(int dx, int dy) {
    return qRgb((dx * 40 + dy * 7 + 100) & 255, (dx * 3 + dy * 50 + 30) & 255,
                (dx * 11 - dy * 13 + 200) & 255);
}

struct Picture {
    int w, h, anchorX, anchorY;
};

TEST(QtWrittenBmp, HeaderMatchesWhatQtWrote) {
    test::TempDir dir;
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        QImage image(7, 5, format);
        image.fill(Qt::white);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(1234);
        const auto file = dir / "qt.bmp";
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
        const Result<BmpHeader> h = readBmpHeader(file);
        ASSERT_TRUE(h) << h.message();
        EXPECT_EQ(h.value().DataOff, 54);
        EXPECT_EQ(h.value().ImgW, 7);
        EXPECT_EQ(h.value().ImgH, 5);
        EXPECT_EQ(h.value().ImgRes, 3780);
    }
}

TEST(QtWrittenBmp, EveryFrameRowReadsBackPixelExact) {
    // Odd widths: 3, 1 and 2 pad bytes per row.
    const Picture pictures[] = {{7, 5, 2, 1}, {13, 9, 5, 3}, {6, 8, 1, 4}};
    test::TempDir dir;
    JobState job;
    AnchorTexts x, y;
    for (int i = 1; i <= 3; ++i) {
        const Picture& p = pictures[i - 1];
        QImage image(p.w, p.h, QImage::Format_RGB32);
        for (int row = 0; row < p.h; ++row) {
            for (int col = 0; col < p.w; ++col) {
                image.setPixel(col, row, aroundAnchor(col - p.anchorX, row - p.anchorY));
            }
        }
        const auto file = dir / ("p" + std::to_string(i) + ".bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
        job.InPath(i) = file.string();
        x[static_cast<size_t>(i - 1)] = std::to_string(p.anchorX);
        y[static_cast<size_t>(i - 1)] = std::to_string(p.anchorY);
    }
    job.ViewCount = 3;
    const SlotArray<double> offY = readAnchors(job, x, y);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(readSlotHeader(job, i));
    }
    ASSERT_TRUE(computeCommonFrame(job, offY).found);
    // Reaches 1 left of and 4 below the anchors, 5 right of and 1 above.
    ASSERT_EQ(job.BaseW, 6);
    ASSERT_EQ(job.BaseH, 5);
    ASSERT_TRUE(frameInsidePictures(job));

    for (int i = 1; i <= 3; ++i) {
        const std::vector<unsigned char> file = test::readFile(job.InPath(i));
        for (int32_t r = 1; r <= job.BaseH; ++r) {
            const int64_t rowPos = frameRowPosition(job.FramePos(i), job.ImgStride(i), r);
            for (int k = 1; k <= job.BaseW; ++k) {
                const size_t at = static_cast<size_t>(rowPos - 1) + static_cast<size_t>(3 * k - 3);
                const QRgb want = aroundAnchor(k - 1 - 1, 4 - r);
                ASSERT_LT(at + 2, file.size());
                EXPECT_EQ(file[at], qBlue(want)) << "slot " << i << " row " << r << " px " << k;
                EXPECT_EQ(file[at + 1], qGreen(want)) << "slot " << i;
                EXPECT_EQ(file[at + 2], qRed(want)) << "slot " << i;
            }
        }
    }
}

} // namespace
} // namespace tovrel
