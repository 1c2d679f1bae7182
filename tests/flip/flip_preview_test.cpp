// The flip preview as a user meets it: the main window's button, the preview
// window's slider, play button, pitch error and exports, driven by clicks and
// key presses, and the preview following the main window's settings.

#include "app/main_window.h"
#include "flip/flip_preview.h"
#include "flip/sweep_gif.h"
#include "sheet/sheet_dialog.h"
#include "tests/app/pick_fixture.h"
#include "tests/app/typing.h"
#include "tests/params/combo_input.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest/QTest>
#include <cmath>
#include <gif_lib.h>

namespace tovrel::test {
namespace {

const QColor kFirst(200, 30, 30);
const QColor kSecond(30, 60, 210);

// A point on a slider's groove, a share of its length from its start.
QPoint onGroove(const QSlider* slider, double share) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.pageStep = slider->pageStep();
    option.singleStep = slider->singleStep();
    option.subControls = QStyle::SC_All;
    const QRect groove = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                         QStyle::SC_SliderGroove, slider);
    return {groove.left() + static_cast<int>(groove.width() * share), groove.center().y()};
}

class FlipPreviewTest : public PickTest {
  protected:
    void SetUp() override {
        PickTest::SetUp();
        writePicture("a.bmp", 60, 40, 2835, kFirst);
        writePicture("b.bmp", 60, 40, 2835, kSecond);
        openPictures();
        clickFile("a.bmp");
        clickFile("b.bmp");
    }

    // Sharpness 2, pitch 0.5, 3 cm wide (2 cm high by the proportion lock):
    // 240 x 160 pixels, lenses of 4.
    void typeSettings() {
        activate();
        typeInto(window->Combo4, "2");
        typeInto(window->Combo3, "0.5");
        typeInto(window->CombK, "3");
        settle();
    }

    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }

    FlipPreview* openPreview() {
        QTest::mouseClick(window->CommandFlip, Qt::LeftButton);
        settle();
        FlipPreview* preview = window->flipPreview();
        if (preview != nullptr) {
            preview->messageHook = [this](const QString& text) { messages.push_back(text); };
            QApplication::setActiveWindow(preview);
        }
        return preview;
    }

    static QColor centre(const FlipPreview* preview) {
        const QImage& image = preview->shownImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }
};

TEST_F(FlipPreviewTest, ButtonWaitsForWhatARunNeeds) {
    EXPECT_FALSE(window->CommandFlip->isEnabled()); // no pitch, no sharpness
    activate();
    typeInto(window->Combo4, "2");
    EXPECT_FALSE(window->CommandFlip->isEnabled());
    typeInto(window->Combo3, "0.5");
    EXPECT_TRUE(window->CommandFlip->isEnabled());
    typeInto(window->CombG, "0");
    EXPECT_FALSE(window->CommandFlip->isEnabled());
    typeInto(window->CombG, "2");
    EXPECT_TRUE(window->CommandFlip->isEnabled());
    // A new first picture leaves one picture chosen.
    clickNameBox(1);
    clickFile("b.bmp");
    EXPECT_FALSE(window->CommandFlip->isEnabled());
    EXPECT_EQ(window->flipPreview(), nullptr);
}

TEST_F(FlipPreviewTest, SliderShowsEachPicture) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), QString("翻转预览"));
    // Opens on picture 1, in the middle of its share.
    EXPECT_EQ(preview->SliderPhase->value(), 250);
    EXPECT_EQ(preview->LabelPhase->text(), QString("0.250"));
    ASSERT_FALSE(preview->shownImage().isNull());
    EXPECT_EQ(centre(preview), kFirst);

    // The view is the core's view at the size shown.
    const FlipSimulator* simulator = preview->simulator();
    ASSERT_NE(simulator, nullptr);
    FlipSimulator copy = *simulator;
    const QImage& shown = preview->shownImage();
    const Result<ViewImage> core = copy.render({shown.width(), shown.height()}, 0.25, 0);
    ASSERT_TRUE(core);
    const QImage expected(core.value().rgb.data(), shown.width(), shown.height(), 3 * shown.width(),
                          QImage::Format_RGB888);
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB888), expected);

    // A click on the slider's track, right of the handle, tilts the card
    // into picture 2's share.
    QTest::mouseClick(preview->SliderPhase, Qt::LeftButton, {},
                      onGroove(preview->SliderPhase, 0.8));
    settle();
    EXPECT_GT(preview->SliderPhase->value(), 500);
    EXPECT_LT(preview->SliderPhase->value(), 1000);
    EXPECT_EQ(centre(preview), kSecond);

    // The keys too: Home goes to phase 0, the start of picture 1's strip.
    preview->SliderPhase->setFocus();
    QTest::keyClick(preview->SliderPhase, Qt::Key_Home);
    settle();
    EXPECT_EQ(preview->SliderPhase->value(), 0);
    EXPECT_EQ(centre(preview), kFirst);
    QTest::keyClick(preview->SliderPhase, Qt::Key_PageUp);
    settle();
    EXPECT_EQ(preview->SliderPhase->value(), 500);
    EXPECT_EQ(centre(preview), kSecond);
    // End: the last step below phase 1, still picture 2 and no black column.
    QTest::keyClick(preview->SliderPhase, Qt::Key_End);
    settle();
    EXPECT_EQ(preview->SliderPhase->value(), 999);
    EXPECT_EQ(preview->LabelPhase->text(), QString("0.999"));
    const QImage& last = preview->shownImage();
    for (int u = 0; u < last.width(); ++u) {
        ASSERT_EQ(last.pixelColor(u, last.height() / 2), kSecond) << u;
    }
}

// Every change of the printer-resolution controls gives a new card: on,
// another value, one whose lenses are too narrow for the pictures, off.
TEST_F(FlipPreviewTest, FollowsThePrinterResolutionControls) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    const auto lensWidth = [&] { return preview->simulator()->mapping().grid().width; };
    EXPECT_EQ(lensWidth(), 4);
    activate();
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    typeInto(window->ComboRes, "720");
    settle();
    ASSERT_NE(preview->simulator(), nullptr) << preview->LabelState->text().toStdString();
    EXPECT_DOUBLE_EQ(lensWidth(), 720 * double{0.5f} / 25.4);
    EXPECT_EQ(centre(preview), kFirst);
    typeInto(window->ComboRes, "1440");
    settle();
    ASSERT_NE(preview->simulator(), nullptr);
    EXPECT_DOUBLE_EQ(lensWidth(), 1440 * double{0.5f} / 25.4);
    // Lenses of 1.97 pixels cannot hold both pictures.
    typeInto(window->ComboRes, "100");
    settle();
    EXPECT_EQ(preview->simulator(), nullptr);
    EXPECT_TRUE(preview->LabelState->text().contains("打印机分辨率至少要 102 像素/英寸"))
        << preview->LabelState->text().toStdString();
    EXPECT_FALSE(preview->CommandGif->isEnabled());
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    settle();
    ASSERT_NE(preview->simulator(), nullptr);
    EXPECT_EQ(lensWidth(), 4);
}

TEST_F(FlipPreviewTest, PitchErrorMakesThePicturesTakeTurns) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    auto coloursInMiddleRow = [&] {
        const QImage& image = preview->shownImage();
        QSet<QRgb> colours;
        for (int u = 0; u < image.width(); ++u) {
            colours.insert(image.pixel(u, image.height() / 2));
        }
        return colours;
    };
    EXPECT_FALSE(coloursInMiddleRow().contains(kSecond.rgb()));

    QLineEdit* edit = preview->SpinPitchError->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    typeText(edit, "2");
    QTest::keyClick(edit, Qt::Key_Return);
    settle();
    EXPECT_DOUBLE_EQ(preview->SpinPitchError->value(), 2.0);
    EXPECT_DOUBLE_EQ(preview->pitchError(), 0.02);
    // 60 lenses 2 % too wide drift by 1.2 lenses: both pictures show.
    const QSet<QRgb> drifting = coloursInMiddleRow();
    EXPECT_TRUE(drifting.contains(kFirst.rgb()));
    EXPECT_TRUE(drifting.contains(kSecond.rgb()));

    // The box keeps to -2 % .. 2 % in steps of 0.01 %.
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(preview->SpinPitchError->value(), 2.0);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(preview->SpinPitchError->value(), 1.99);
    EXPECT_DOUBLE_EQ(preview->SpinPitchError->minimum(), -2.0);
}

TEST_F(FlipPreviewTest, PlayTiltsTheCardToAndFroUntilStopped) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    const int start = preview->SliderPhase->value();
    QTest::mouseClick(preview->CommandPlay, Qt::LeftButton);
    EXPECT_TRUE(preview->playing());
    EXPECT_EQ(preview->CommandPlay->text(), QString("停止"));
    QSet<int> seen;
    QTRY_VERIFY_WITH_TIMEOUT((seen.insert(preview->SliderPhase->value()), seen.size() >= 4), 10000);
    EXPECT_NE(preview->SliderPhase->value(), start);
    QTest::mouseClick(preview->CommandPlay, Qt::LeftButton);
    EXPECT_FALSE(preview->playing());
    EXPECT_EQ(preview->CommandPlay->text(), QString("播放"));
    const int stopped = preview->SliderPhase->value();
    settle();
    EXPECT_EQ(preview->SliderPhase->value(), stopped);
    // Every phase the sweep showed is one of its own.
    for (const int value : seen) {
        bool sweep = value == start;
        for (int32_t i = 0; i < sweepFrames(FlipPreview::kPlaySteps); ++i) {
            sweep |= std::lround(sweepPhase(i, FlipPreview::kPlaySteps) * 1000) == value;
        }
        EXPECT_TRUE(sweep) << value;
    }
}

TEST_F(FlipPreviewTest, EnterPressesPlayAndEscCloses) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    preview->SliderPhase->setFocus();
    QTest::keyClick(preview->SliderPhase, Qt::Key_Return);
    EXPECT_TRUE(preview->playing());
    // Enter on another button presses that one.
    preview->CommandPlay->setFocus();
    QTest::keyClick(preview->CommandPlay, Qt::Key_Enter);
    EXPECT_FALSE(preview->playing());
    QTest::keyClick(preview->SpinPitchError, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->flipPreview(), nullptr);
    EXPECT_TRUE(messages.empty());
}

struct GifSummary {
    int frames = 0;
    int width = 0;
    int height = 0;
};

GifSummary readGif(const std::filesystem::path& file) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (gif == nullptr) {
        ADD_FAILURE() << GifErrorString(error);
        return {};
    }
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    const GifSummary summary{gif->ImageCount, gif->SWidth, gif->SHeight};
    DGifCloseFile(gif, &error);
    return summary;
}

TEST_F(FlipPreviewTest, SavesTheSweepAndTheView) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    std::vector<QString> asked;
    QString answer = path(pictures / "sweep.gif");
    preview->savePathHook = [&](const QString& caption, const QString&) {
        asked.push_back(caption);
        return answer;
    };
    QTest::mouseClick(preview->CommandGif, Qt::LeftButton);
    const QSize shown = preview->shownImage().size();
    const GifSummary gif = readGif(pictures / "sweep.gif");
    EXPECT_EQ(gif.frames, sweepFrames(kSweepSteps));
    EXPECT_EQ(gif.frames, 30);
    EXPECT_EQ(QSize(gif.width, gif.height), shown);
    EXPECT_EQ(preview->LabelState->text(), "已保存：" + answer);

    // A name without an ending gets ".png".
    answer = path(pictures / "card");
    QTest::mouseClick(preview->CommandPng, Qt::LeftButton);
    const QImage png(path(pictures / "card.png"), "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), shown);
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB888),
              preview->shownImage().convertToFormat(QImage::Format_RGB888));
    EXPECT_EQ(asked, (std::vector<QString>{"保存翻转动画", "保存预览图片"}));
    EXPECT_TRUE(messages.empty());

    // Cancelling the dialog saves nothing.
    answer.clear();
    QTest::mouseClick(preview->CommandPng, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
}

TEST_F(FlipPreviewTest, NeverSavesOverAPictureOrTheDataFile) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    const std::vector<unsigned char> picture = readFile(pictures / "a.bmp");
    const std::vector<unsigned char> data = readFile(dataDir / "kvxj.dll");
    QString answer = path(pictures / "a.bmp");
    preview->savePathHook = [&](const QString&, const QString&) { return answer; };
    QTest::mouseClick(preview->CommandPng, Qt::LeftButton);
    answer = path(dataDir / "kvxj.dll");
    QTest::mouseClick(preview->CommandGif, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].contains("输出文件不能是源图片本身（第 1 张图片）"))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[1].contains("kvxj.dll")) << messages[1].toStdString();
    EXPECT_EQ(readFile(pictures / "a.bmp"), picture);
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), data);
}

TEST_F(FlipPreviewTest, FollowsTheMainWindowWhileOpen) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->simulator()->mapping().horizontal());
    const QSize vertical = preview->shownImage().size();

    QTest::mouseClick(window->Op_h, Qt::LeftButton);
    settle();
    ASSERT_NE(preview->simulator(), nullptr);
    EXPECT_TRUE(preview->simulator()->mapping().horizontal());
    EXPECT_EQ(centre(preview), kFirst);

    activate();
    typeInto(window->Combo4, "3");
    settle();
    EXPECT_EQ(preview->simulator()->job().SharpB, 3);
    EXPECT_EQ(preview->simulator()->job().tifW, 360);

    // A pitch a run could not use: the preview says why and offers nothing
    // to save until the pitch is back.
    typeInto(window->Combo3, "abc");
    settle();
    EXPECT_EQ(preview->simulator(), nullptr);
    EXPECT_EQ(preview->LabelState->text(), QString("栅距必须大于 0。"));
    EXPECT_FALSE(preview->CommandGif->isEnabled());
    EXPECT_FALSE(preview->CommandPng->isEnabled());
    EXPECT_FALSE(preview->CommandPlay->isEnabled());
    EXPECT_FALSE(window->CommandFlip->isEnabled());
    typeInto(window->Combo3, "0.5");
    settle();
    ASSERT_NE(preview->simulator(), nullptr);
    EXPECT_TRUE(preview->CommandPng->isEnabled());
    EXPECT_EQ(preview->shownImage().size(), vertical);

    // White gaps on (1/3): the card opens again in the middle of picture
    // 1's visible rows, the second and third of its strip.
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    settle();
    ASSERT_TRUE(window->LB1->isChecked());
    EXPECT_EQ(preview->SliderPhase->value(), 333);
    EXPECT_EQ(centre(preview), kFirst);
}

// With a press profile the preview shows the card as the press prints it;
// "标出色域外" paints what the press cannot print (both pictures' colours
// here) in magenta.
TEST_F(FlipPreviewTest, MarksColoursOutsideThePressGamutOnRequest) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->CheckGamut->isEnabled()); // no output profile
    EXPECT_EQ(centre(preview), kFirst);

    chooseOutputProfile("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    settle();
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_NE(preview->simulator(), nullptr);
    EXPECT_TRUE(preview->CheckGamut->isEnabled());
    const QColor proofed = centre(preview);
    EXPECT_NE(proofed, kFirst); // through the press profile
    const QColor alarm(kGamutAlarm[0], kGamutAlarm[1], kGamutAlarm[2]);
    EXPECT_NE(proofed, alarm);

    QTest::mouseClick(preview->CheckGamut, Qt::LeftButton, {},
                      QPoint(8, preview->CheckGamut->height() / 2));
    settle();
    ASSERT_TRUE(preview->CheckGamut->isChecked());
    ASSERT_NE(preview->simulator(), nullptr) << preview->LabelState->text().toStdString();
    EXPECT_TRUE(preview->simulator()->marksGamut());
    EXPECT_EQ(centre(preview), alarm);

    QTest::mouseClick(preview->CheckGamut, Qt::LeftButton, {},
                      QPoint(8, preview->CheckGamut->height() / 2));
    settle();
    EXPECT_FALSE(preview->simulator()->marksGamut());
    EXPECT_NE(centre(preview), alarm);
}

// A card with bleed, the bleed set in the sheet dialog while the preview is
// open: the view shows the card and its bleed with the trim line over it,
// found from the view's pixels on the four trim edges and nowhere else; the
// picture a user saves stays the card as printed.
TEST_F(FlipPreviewTest, CardWithBleedShowsItsTrimLine) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    // The trim line's pixels in an image (black or white); astray: those
    // more than a pixel off the trim rectangle's edges.
    int astray = 0;
    const auto linePixels = [&](const QImage& view, const QRectF& trim) {
        int on = 0;
        astray = 0;
        const auto near = [](double v, double a, double b) {
            return std::abs(v - a) <= 1 || std::abs(v - b) <= 1;
        };
        for (int y = 0; y < view.height(); ++y) {
            for (int x = 0; x < view.width(); ++x) {
                const QColor c = view.pixelColor(x, y);
                if (c == Qt::black || c == Qt::white) {
                    ++on;
                    const bool across = y >= trim.top() - 1 && y <= trim.bottom() + 1;
                    const bool along = x >= trim.left() - 1 && x <= trim.right() + 1;
                    astray += !(across && near(x, trim.left(), trim.right())) &&
                              !(along && near(y, trim.top(), trim.bottom()));
                }
            }
        }
        return on;
    };
    EXPECT_EQ(linePixels(preview->ImageView->pixmap().toImage(), {}), 0);

    activate();
    window->ActionSheet->trigger();
    auto* dialog = window->findChild<SheetDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->SpinBleed->selectAll();
    QTest::keyClicks(dialog->SpinBleed, "3");
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    settle();
    ASSERT_NE(preview->simulator(), nullptr);
    // 3 mm at 203.2 pixels per inch: 24 pixels on every side of 240 x 160.
    const JobState& card = preview->simulator()->job();
    ASSERT_EQ(card.tifW, 288);
    ASSERT_EQ(card.tifH, 208);
    const QImage view = preview->ImageView->pixmap().toImage();
    ASSERT_EQ(view.size(), preview->shownImage().size());
    const double sx = view.width() / 288.0, sy = view.height() / 208.0;
    const QRectF trim(24 * sx, 24 * sy, 240 * sx, 160 * sy);
    const int on = linePixels(view, trim);
    EXPECT_EQ(astray, 0);
    EXPECT_GE(on, int(2 * (trim.width() + trim.height())) - 4);
    // Inside and outside the line, the card: the bleed too shows the picture.
    EXPECT_EQ(view.pixelColor(int(trim.left()) - 3, view.height() / 2), kFirst);
    EXPECT_EQ(view.pixelColor(int(trim.left()) + 3, view.height() / 2), kFirst);
    EXPECT_EQ(view.pixelColor(view.width() / 2, int(trim.top()) - 3), kFirst);
    EXPECT_EQ(linePixels(preview->shownImage(), trim), 0);
}

TEST_F(FlipPreviewTest, ClosingAndOpeningAgain) {
    typeSettings();
    FlipPreview* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(openPreview(), preview); // one preview, brought to the front
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->flipPreview(), nullptr);
    FlipPreview* again = openPreview();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(centre(again), kFirst);
}

} // namespace
} // namespace tovrel::test
