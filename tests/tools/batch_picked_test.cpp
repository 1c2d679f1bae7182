// Pictures picked through the window's file list, the print size it proposes,
// a run started with the start button: the batch tool, given only the same
// pictures, pitch and sharpness (and what the user changed), writes the same
// file.

#include "app/main_window.h"
#include "app/progress_scroll_bar.h"
#include "tests/app/pick_fixture.h"
#include "tests/app/typing.h"
#include "tests/params/combo_input.h"
#include "tests/render/picture_fixture.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/window_and_batch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <functional>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

void nothing(mainS&) {}

struct PickedRun {
    const char* name;
    // Batch options beyond the pitch and the sharpness, which come from below.
    std::vector<std::string> options = {};
    // What the user does after the second pick, and between the first and
    // the second.
    std::function<void(mainS&)> afterPicks = nothing;
    const char* pitch = "0.5";
    int sharpness = 3; // the sharpness list's item sharpness - 1
    int32_t dotsPerMetre = 2835;
    std::function<void(mainS&)> betweenPicks = nothing;
    const char* output = "pic1!.tif"; // the output name the window proposes
    QString typedPitch = {};          // the pitch box's text, when not `pitch`
};

class PickedAndBatch : public PickTest, public ::testing::WithParamInterface<PickedRun> {};

// A picture with a pattern, so that any misplaced pixel shows.
void writePatterned(const fs::path& file, int n, int width, int height, int32_t dotsPerMetre) {
    TestPicture picture{width, height};
    writePicture(file, n, picture);
    QImage image(QString::fromStdString(file.string()));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
}

TEST_P(PickedAndBatch, WriteTheSameFile) {
    const PickedRun& c = GetParam();
    writePatterned(pictures / "pic1.bmp", 1, 64, 48, c.dotsPerMetre);
    writePatterned(pictures / "pic2.bmp", 2, 70, 50, 2835);
    openPictures();
    clickFile("pic1.bmp");
    c.betweenPicks(*window);
    clickFile("pic2.bmp");
    window->Combo3->setEditText(c.typedPitch.isEmpty() ? QString(c.pitch) : c.typedPitch);
    window->Combo4->setCurrentIndex(c.sharpness - 1);
    c.afterPicks(*window);
    const fs::path proposed = pictures / c.output;
    ASSERT_EQ(window->TextOUT->text().toStdString(), proposed.string());
    confirmAndRun(*window);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_EQ(window->Command1->text(), "确定");

    const TempDir batchData;
    std::vector<std::string> options = {"--pitch", c.pitch, "--sharpness",
                                        std::to_string(c.sharpness)};
    options.insert(options.end(), c.options.begin(), c.options.end());
    const BatchOutcome batch =
        runBatchAlongside(options, pictures / "batch.tif",
                          {pictures / "pic1.bmp", pictures / "pic2.bmp"}, batchData.path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    const std::string size = window->CombK->currentText().toStdString() + " × " +
                             window->CombG->currentText().toStdString() + " 厘米";
    EXPECT_NE(batch.out.find(size), std::string::npos) << batch.out << " window: " << size;
    EXPECT_EQ(readFile(pictures / "batch.tif"), readFile(proposed));
}

// A user's whole road with three pictures: every setting chosen with the
// mouse and the keyboard, a run, the output read back and compared with the
// batch tool's; then a changed setting asks for confirmation again.
class FlipCardRoad : public PickTest {};

TEST_F(FlipCardRoad, ThreePicturesWithWhiteGapsAcrossTheHeight) {
    writePatterned(pictures / "pic1.bmp", 1, 64, 48, 2835);
    writePatterned(pictures / "pic2.bmp", 2, 70, 50, 2835);
    writePatterned(pictures / "pic3.bmp", 3, 66, 52, 2835);
    openPictures();
    clickFile("pic1.bmp");
    clickFile("pic2.bmp");
    clickFile("pic3.bmp");
    ASSERT_EQ(window->job.ViewCount, 3);

    typeInto(window->Combo3, "0.5");
    pickByKeys(window->Combo4, 3); // "4 倍清晰"
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    ASSERT_TRUE(window->Combo1->isEnabled());
    ASSERT_EQ(window->Combo1->count(), 3);
    pickByClick(window->Combo1, 1); // "2/4"
    QTest::mouseClick(window->Op_h, Qt::LeftButton);
    typeInto(window->CombK, "4");
    EXPECT_EQ(window->CombG->currentText(), "3"); // the 64 x 48 frame's proportion
    EXPECT_EQ(window->Label2->text(), "609.6 像素/英寸");

    const fs::path output = pictures / "pic1-.tif";
    ASSERT_EQ(window->TextOUT->text().toStdString(), output.string());
    confirmAndRun(*window);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(window->Command1->text(), "确定");
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    // 4 x 3 cm, three pictures of strips 4 pixels wide under 0.5 mm lenses.
    EXPECT_TRUE(readsAsTiff(output, 960, 720, 609.6f));

    const TempDir batchData;
    const BatchOutcome batch = runBatchAlongside(
        {"--pitch", "0.5", "--sharpness", "4", "--width", "4", "--horizontal", "--white-gap", "2"},
        pictures / "batch.tif",
        {pictures / "pic1.bmp", pictures / "pic2.bmp", pictures / "pic3.bmp"}, batchData.path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_EQ(readFile(pictures / "batch.tif"), readFile(output));

    // The run left the pitch box showing its label: the pitch is chosen
    // again before the next confirmation.
    EXPECT_EQ(window->Combo3->currentText(), "栅距mm");
    typeInto(window->Combo3, "0.5");
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(window->Command1->text(), "开始");
    typeInto(window->CombK, "5");
    EXPECT_EQ(window->Command1->text(), "确定");
}

// Types an anchor into the X and Y boxes of a slot (index 0 to 3), key by key.
void typeAnchor(mainS& w, int index, const QString& x, const QString& y) {
    for (QLineEdit* box : {w.TextX[index], w.TextY[index]}) {
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        typeText(box, box == w.TextX[index] ? x : y);
    }
}

// Types a print width or height into its box, key by key.
void typeSize(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    typeText(box->lineEdit(), text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PickedAndBatch,
    ::testing::Values(
        PickedRun{.name = "Proposal"},
        // 64 pixels at 20 per metre propose 320 cm: cut to 300, the height follows.
        PickedRun{.name = "ProposalBeyondTheCap", .pitch = "3", .sharpness = 1, .dotsPerMetre = 20},
        PickedRun{.name = "AnchorOfTheFirstPicture",
                  .options = {"--anchor", "1:3,2"},
                  .pitch = "0.254",
                  .sharpness = 2,
                  .dotsPerMetre = 3780,
                  .betweenPicks =
                      [](mainS& w) {
                          w.TextX[0]->setText("3");
                          w.TextY[0]->setText("2");
                      }},
        PickedRun{.name = "Horizontal",
                  .options = {"--horizontal"},
                  .afterPicks = [](mainS& w) { QTest::mouseClick(w.Op_h, Qt::LeftButton); },
                  .sharpness = 4,
                  .output = "pic1-.tif"},
        PickedRun{.name = "TypedWidth",
                  .options = {"--width", "3"},
                  .afterPicks = [](mainS& w) { typeSize(w.CombK, "3"); }},
        PickedRun{.name = "TypedHeight",
                  .options = {"--height", "7"},
                  .afterPicks = [](mainS& w) { typeSize(w.CombG, "7"); }},
        // Anchors typed key by key after both pictures are chosen: the frame,
        // the proportion and the proposed size follow.
        PickedRun{.name = "AnchorTypedAfterPicking",
                  .options = {"--anchor", "1:10,5"},
                  .afterPicks =
                      [](mainS& w) {
                          typeAnchor(w, 0, "10", "5");
                          EXPECT_EQ(w.Command1->text(), "确定");
                      }},
        // A width typed before the anchor stays; the height follows the new proportion.
        PickedRun{.name = "WidthTypedThenAnchor",
                  .options = {"--width", "3", "--anchor", "1:10,5"},
                  .afterPicks =
                      [](mainS& w) {
                          typeSize(w.CombK, "3");
                          typeAnchor(w, 0, "10", "5");
                          EXPECT_EQ(w.CombK->currentText(), "3");
                      }},
        // Digits from a Chinese input method, in every number box.
        PickedRun{.name = "FullWidthDigits",
                  .options = {"--anchor", "2:3,2"},
                  .afterPicks =
                      [](mainS& w) {
                          typeAnchor(w, 1, "３", "２");
                          EXPECT_EQ(w.Label2->text(), "304.8 像素/英寸");
                      },
                  .typedPitch = "０．５"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
