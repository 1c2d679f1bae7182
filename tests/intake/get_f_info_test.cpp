// Reading the chosen pictures in the window: previews and their places, size
// labels, the common frame in the job, and the proposed print size.

#include "app/main_window.h"
#include "app/name_box.h"
#include "app/progress_scroll_bar.h"
#include "intake/frame_marker.h"
#include "tests/app/pick_fixture.h"
#include "tests/app/qt_print.h"
#include "tests/app/typing.h"
#include "tests/intake/frame_expect.h"
#include "tests/intake/picture_variants.h"
#include "tests/support/bmp_file.h"

#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <cmath>

namespace tovrel::test {
namespace {

class GetFInfo : public PickTest {
  protected:
    void typeAnchor(QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        typeText(box, text);
    }
    QLabel* image(int slot) const { return window->Image1[slot - 1]; }
    // The rectangle drawn over a preview, as shares of the picture shown; an
    // empty rectangle while none is drawn.
    QRectF markedShare(int slot) const {
        const QWidget* mark = window->FrameMark[slot - 1];
        if (!mark->isVisibleTo(window.get())) {
            return {};
        }
        const QRectF shown = image(slot)->geometry();
        const QRectF area = mark->geometry();
        return {(area.left() - shown.left()) / shown.width(),
                (area.top() - shown.top()) / shown.height(), area.width() / shown.width(),
                area.height() / shown.height()};
    }
    // Whether a share marked on screen is the expected one to a pixel.
    static bool near(const QRectF& got, const QRectF& want, double pixel) {
        return std::abs(got.left() - want.left()) <= pixel &&
               std::abs(got.top() - want.top()) <= pixel &&
               std::abs(got.width() - want.width()) <= 2 * pixel &&
               std::abs(got.height() - want.height()) <= 2 * pixel;
    }
    // Qt's writer never writes a resolution of 0, so the header is patched.
    void setResolution(const std::filesystem::path& file, int32_t dotsPerMetre) {
        std::vector<unsigned char> bytes = readFile(file);
        putLE32(bytes, 38, static_cast<uint32_t>(dotsPerMetre));
        writeFile(file, bytes);
    }
};

TEST_F(GetFInfo, TwoPicturesOfDifferentSizes) {
    writePicture("p1.bmp", 640, 480, 2835);
    // The second picture's resolution plays no part.
    writePicture("p2.bmp", 1024, 768, 3780);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");

    const JobState& job = window->job;
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->LabXY[0]->text(), QString("480 x 640"));
    EXPECT_EQ(window->LabXY[1]->text(), QString("768 x 1024"));
    EXPECT_EQ(job.DataOff(1), 54);
    EXPECT_EQ(job.ImgStride(1), 1920);
    EXPECT_EQ(job.ImgStride(2), 3072);
    expectJobFrame(job, {0, 640, 0, 480, 640, 480, {1, 1}, {1, 289}, {55, 884791}});
    EXPECT_EQ(job.Aspect, 1.3333334f);
    EXPECT_EQ(window->CombK->currentText(), QString("22.57"));
    EXPECT_EQ(window->CombG->currentText(), QString("16.93"));
}

// A photo turned by its EXIF orientation is used upright: its label, its
// preview, its frame and the size proposed from its JFIF resolution.
TEST_F(GetFInfo, APhotoIsUsedUpright) {
    QImage photo(640, 480, QImage::Format_RGB888);
    photo.fill(QColor(200, 30, 40));
    const std::filesystem::path ppm = pictures / "photo.ppm", jpeg = pictures / "photo.JPG";
    ASSERT_TRUE(photo.save(path(ppm), "PPM"));
    ASSERT_TRUE(shell("cjpeg " + ppm.string() + " > " + jpeg.string()));
    std::vector<unsigned char> bytes = withExifOrientation(readFile(jpeg), 6);
    bytes[68 + 13] = 2, bytes[68 + 14] = 0, bytes[68 + 15] = 28; // JFIF after the EXIF: 28 per cm
    writeFile(jpeg, bytes);
    writePicture("p2.bmp", 480, 640);
    openPictures();
    clickFile("photo.JPG");
    clickFile("p2.bmp");

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->nameBox(1)->text(), QString("photo"));
    EXPECT_EQ(window->TextOUT->text(), path(pictures / "photo!.tif"));
    EXPECT_EQ(window->LabXY[0]->text(), QString("640 x 480"));
    EXPECT_LT(image(1)->width(), image(1)->height());
    EXPECT_FALSE(image(1)->pixmap().isNull());
    const JobState& job = window->job;
    EXPECT_EQ(job.ImgRes(1), 2800);
    EXPECT_EQ(std::filesystem::path(job.RowPath(1)).parent_path(), dataDir.path() / "cache");
    expectJobFrame(job, {0, 480, 0, 640, 480, 640, {1, 1}, {1, 1}, {55, 55}});
    EXPECT_EQ(window->CombK->currentText(), QString("17.14"));
    EXPECT_EQ(window->CombG->currentText(), QString("22.85"));
    EXPECT_EQ(window->HScroll1->value(), 0);

    // Closing the window keeps the stores of the chosen pictures only.
    const std::string store = job.RowPath(1);
    writeFile(dataDir.path() / "cache" / "0123456789abcdef.bmp", {1});
    window.reset();
    EXPECT_TRUE(std::filesystem::exists(store));
    EXPECT_FALSE(std::filesystem::exists(dataDir.path() / "cache" / "0123456789abcdef.bmp"));
}

TEST_F(GetFInfo, AnchorsShiftTheFrame) {
    writePicture("p1.bmp", 640, 480);
    writePicture("p2.bmp", 640, 480);
    openPictures();
    clickFile("p1.bmp");
    typeAnchor(window->TextX[0], "10");
    typeAnchor(window->TextY[0], "20");
    clickFile("p2.bmp");

    const JobState& job = window->job;
    EXPECT_EQ(job.OffX(1), 10.0f);
    expectJobFrame(job, {0, 630, 0, 460, 630, 460, {11, 1}, {1, 21}, {85, 38455}});
    // 630 pixels at 2835 per metre propose 22.22 cm; the width handler makes
    // the height 22.22 / (630 / 460) = 16.22, whose nested handler answers
    // with 16.22 * (630 / 460) = 22.21, which keeps the height at 16.22.
    EXPECT_EQ(window->CombK->currentText(), QString("22.21"));
    EXPECT_EQ(window->CombG->currentText(), QString("16.22"));

    // Each preview marks the part its picture gives the card.
    const double pixel = 1.0 / std::min(image(1)->width(), image(1)->height());
    EXPECT_TRUE(near(markedShare(1), {10 / 640.0, 20 / 480.0, 630 / 640.0, 460 / 480.0}, pixel));
    EXPECT_TRUE(near(markedShare(2), {0, 0, 630 / 640.0, 460 / 480.0}, pixel));
    EXPECT_TRUE(markedShare(3).isEmpty());
    // Anchors typed afterwards move the marks along.
    typeAnchor(window->TextX[0], "0");
    typeAnchor(window->TextY[0], "0");
    EXPECT_TRUE(near(markedShare(1), {0, 0, 1, 1}, pixel));
    EXPECT_TRUE(near(markedShare(2), {0, 0, 1, 1}, pixel));
}

struct Proposal {
    const char* label;
    int resolution; // of the first picture, pixels per metre
    QSize first;
    QSize second;
    const char* width;
    const char* height;
};

class SizeProposal : public GetFInfo, public ::testing::WithParamInterface<Proposal> {};

TEST_P(SizeProposal, FromTheFrameAndTheFirstPicturesResolution) {
    const Proposal& p = GetParam();
    setResolution(writePicture("p1.bmp", p.first.width(), p.first.height()), p.resolution);
    writePicture("p2.bmp", p.second.width(), p.second.height(), 2835);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");
    EXPECT_EQ(window->CombK->currentText(), QString(p.width));
    EXPECT_EQ(window->CombG->currentText(), QString(p.height));
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeProposal,
    ::testing::Values(Proposal{"At2835", 2835, {640, 480}, {1024, 768}, "22.57", "16.93"},
                      Proposal{"At3780", 3780, {640, 480}, {640, 480}, "16.93", "12.7"},
                      Proposal{"WholeCentimetres", 1000, {200, 100}, {300, 400}, "20", "10"},
                      // No resolution: no width can be worked out, the boxes keep their labels.
                      Proposal{"NoResolution", 0, {640, 480}, {640, 480}, "宽cm", "高cm"},
                      Proposal{
                          "NegativeResolution", -2835, {640, 480}, {640, 480}, "宽cm", "高cm"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(GetFInfo, WithoutAResolutionTheFrameIsStillFound) {
    setResolution(writePicture("p1.bmp", 640, 480), 0);
    writePicture("p2.bmp", 320, 480);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");
    EXPECT_EQ(window->job.BaseW, 320);
    EXPECT_EQ(window->job.BaseH, 480);
    EXPECT_EQ(window->job.Aspect, 0.6666667f);
}

TEST_F(GetFInfo, OnlyPictureOneProposesNothing) {
    writePicture("p1.bmp", 64, 48);
    openPictures();
    clickFile("p1.bmp");
    EXPECT_EQ(window->LabXY[0]->text(), QString("48 x 64"));
    EXPECT_FALSE(image(1)->pixmap().isNull());
    EXPECT_TRUE(markedShare(1).isEmpty()); // no frame yet
    EXPECT_EQ(window->job.BaseW, 0);
    EXPECT_EQ(window->job.BaseH, 0);
    EXPECT_EQ(window->job.Aspect, 0.0f);
    EXPECT_EQ(window->CombK->currentText(), QString("宽cm"));
    EXPECT_EQ(window->CombG->currentText(), QString("高cm"));
}

TEST_F(GetFInfo, ANewFirstPictureKeepsTheSizeUntilASecondOne) {
    writePicture("p1.bmp", 640, 480);
    writePicture("p2.bmp", 640, 480);
    writePicture("p3.bmp", 300, 300);
    writePicture("p4.bmp", 300, 300);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");
    ASSERT_EQ(window->CombK->currentText(), QString("22.57"));

    clickNameBox(1);
    clickFile("p3.bmp");
    EXPECT_EQ(window->job.ViewCount, 1);
    EXPECT_EQ(window->job.BaseW, 0);
    EXPECT_EQ(window->job.Aspect, 1.3333334f);
    EXPECT_EQ(window->CombK->currentText(), QString("22.57"));
    EXPECT_EQ(window->CombG->currentText(), QString("16.93"));

    clickFile("p4.bmp");
    EXPECT_EQ(window->job.Aspect, 1.0f);
    EXPECT_EQ(window->CombK->currentText(), QString("10.58"));
    EXPECT_EQ(window->CombG->currentText(), QString("10.58"));
}

struct Fit {
    const char* label;
    int w, h;     // picture
    int box;      // inner side of the square preview box, pixels
    QRect placed; // preview inside the box's inner area
};

class PreviewPlace : public GetFInfo, public ::testing::WithParamInterface<Fit> {};

TEST_P(PreviewPlace, FitsTheInnerAreaOfItsBox) {
    const Fit& f = GetParam();
    writePicture("p.bmp", f.w, f.h, 2835, QColor(200, 40, 90));
    openPictures();
    QFrame* box = window->Picture1[0];
    const QSize border = box->size() - box->contentsRect().size();
    box->resize(QSize(f.box, f.box) + border);
    ASSERT_EQ(box->contentsRect().size(), QSize(f.box, f.box));

    clickFile("p.bmp");

    const QRect inner = box->contentsRect();
    EXPECT_EQ(image(1)->geometry(), f.placed.translated(inner.topLeft()));
    // Decoded at the size it is shown at, not at the picture's.
    const QPixmap preview = image(1)->pixmap();
    ASSERT_FALSE(preview.isNull());
    EXPECT_EQ(preview.size(), f.placed.size());
    const QImage pixels = preview.toImage();
    EXPECT_EQ(QColor(pixels.pixel(pixels.width() / 2, pixels.height() / 2)), QColor(200, 40, 90));
}

INSTANTIATE_TEST_SUITE_P(Shapes, PreviewPlace,
                         ::testing::Values(Fit{"Portrait", 300, 400, 2400, {300, 0, 1800, 2400}},
                                           Fit{"Landscape", 640, 480, 2400, {0, 300, 2400, 1800}},
                                           Fit{"Square", 500, 500, 240, {0, 0, 240, 240}},
                                           // 285.71 + 428.57: the edges go to pixels 286 and 714.
                                           Fit{"OddPortrait", 3, 7, 1000, {286, 0, 428, 1000}},
                                           // A picture thinner than a pixel on screen still shows.
                                           Fit{"OneRowHigh", 3000, 1, 200, {0, 100, 200, 1}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(GetFInfo, APictureAboveQtsMemoryLimitStillShowsItsPreview) {
    // The limit stands at 1 MB here, as 256 MB does for a 70-megapixel picture.
    const int saved = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    writePicture("big.bmp", 1000, 700, 2835, QColor(30, 160, 70));
    openPictures();
    clickFile("big.bmp");
    const int after = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(saved);

    EXPECT_TRUE(messages.empty());
    const QPixmap preview = image(1)->pixmap();
    ASSERT_FALSE(preview.isNull());
    const QImage pixels = preview.toImage();
    EXPECT_EQ(QColor(pixels.pixel(pixels.width() / 2, pixels.height() / 2)), QColor(30, 160, 70));
    // Raised for this picture only: the guard stays for everything else.
    EXPECT_EQ(after, 1);
}

TEST_F(GetFInfo, APictureQtCannotDecodeIsKeptWithoutPreview) {
    writePicture("p1.bmp", 64, 48);
    // A plane count of 0: the pixel layout is sound, Qt's decoder refuses it.
    std::vector<unsigned char> odd = bmpFile({.width = 40, .height = 30});
    putLE16(odd, 26, 0);
    writeFile(pictures / "p2.bmp", odd);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(path(pictures / "p2.bmp")));
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(window->nameBox(2)->text(), QString("p2"));
    EXPECT_EQ(window->LabXY[1]->text(), QString("30 x 40"));
    EXPECT_TRUE(image(2)->pixmap().isNull());
    EXPECT_FALSE(image(1)->pixmap().isNull());
    EXPECT_EQ(window->job.BaseW, 40);
    EXPECT_EQ(window->job.BaseH, 30);
    EXPECT_EQ(window->CombK->currentText(), QString("1.41"));
}

TEST_F(GetFInfo, AShortFileIsRefusedAndTheFrameIsThatOfTheOthers) {
    writePicture("p1.bmp", 64, 48);
    writePicture("p2.bmp", 60, 40);
    std::vector<unsigned char> cut = bmpFile({.width = 30, .height = 20});
    cut.resize(cut.size() - 200);
    writeFile(pictures / "p3.bmp", cut);
    openPictures();
    clickFile("p1.bmp");
    clickFile("p2.bmp");
    clickFile("p3.bmp");

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(path(pictures / "p3.bmp")));
    EXPECT_EQ(window->job.ViewCount, 2);
    EXPECT_EQ(window->nameBox(3)->text(), QString());
    EXPECT_EQ(window->LabXY[2]->text(), QString());
    EXPECT_TRUE(image(3)->pixmap().isNull());
    EXPECT_EQ(window->job.BaseW, 60);
    EXPECT_EQ(window->job.BaseH, 40);
}

} // namespace
} // namespace tovrel::test
