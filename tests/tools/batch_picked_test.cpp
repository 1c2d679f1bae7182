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

struct PickedRun {
    const char* name;
    int32_t dotsPerMetre;
    QString pitch;
    int sharpnessItem; // index into the sharpness list
    // What the user does between the first and the second pick, and after
    // the second pick.
    std::function<void(mainS&)> betweenPicks;
    std::function<void(mainS&)> afterPicks;
    std::vector<std::string> batch; // the same, as options
    const char* output;             // the output name the window proposes
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
    window->Combo3->setEditText(c.pitch);
    window->Combo4->setCurrentIndex(c.sharpnessItem);
    c.afterPicks(*window);
    const fs::path proposed = pictures / c.output;
    ASSERT_EQ(window->TextOUT->text().toStdString(), proposed.string());
    confirmAndRun(*window);
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_EQ(window->Command1->text(), "确定");

    const TempDir batchData;
    const BatchOutcome batch =
        runBatchAlongside(c.batch, pictures / "batch.tif",
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

void nothing(mainS&) {}

// Types an anchor into the X and Y boxes of a slot (index 0 to 3), key by key.
void typeAnchor(mainS& w, int index, const QString& x, const QString& y) {
    for (QLineEdit* box : {w.TextX[index], w.TextY[index]}) {
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        typeText(box, box == w.TextX[index] ? x : y);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PickedAndBatch,
    ::testing::Values(PickedRun{"Proposal",
                                2835,
                                "0.5",
                                2,
                                nothing,
                                nothing,
                                {"--pitch", "0.5", "--sharpness", "3"},
                                "pic1!.tif"},
                      // 64 pixels at 20 per metre propose 320 cm: cut to 300, the height
                      // follows.
                      PickedRun{"ProposalBeyondTheCap",
                                20,
                                "3",
                                0,
                                nothing,
                                nothing,
                                {"--pitch", "3", "--sharpness", "1"},
                                "pic1!.tif"},
                      PickedRun{"AnchorOfTheFirstPicture",
                                3780,
                                "0.254",
                                1,
                                [](mainS& w) {
                                    w.TextX[0]->setText("3");
                                    w.TextY[0]->setText("2");
                                },
                                nothing,
                                {"--pitch", "0.254", "--sharpness", "2", "--anchor", "1:3,2"},
                                "pic1!.tif"},
                      PickedRun{"Horizontal",
                                2835,
                                "0.5",
                                3,
                                nothing,
                                [](mainS& w) { QTest::mouseClick(w.Op_h, Qt::LeftButton); },
                                {"--pitch", "0.5", "--sharpness", "4", "--horizontal"},
                                "pic1-.tif"},
                      PickedRun{"TypedWidth",
                                2835,
                                "0.5",
                                2,
                                nothing,
                                [](mainS& w) {
                                    w.CombK->lineEdit()->selectAll();
                                    typeText(w.CombK->lineEdit(), "3");
                                },
                                {"--pitch", "0.5", "--sharpness", "3", "--width", "3"},
                                "pic1!.tif"},
                      PickedRun{"TypedHeight",
                                2835,
                                "0.5",
                                2,
                                nothing,
                                [](mainS& w) {
                                    w.CombG->lineEdit()->selectAll();
                                    typeText(w.CombG->lineEdit(), "7");
                                },
                                {"--pitch", "0.5", "--sharpness", "3", "--height", "7"},
                                "pic1!.tif"},
                      // Anchors typed key by key after both pictures are chosen: the
                      // frame, the proportion and the proposed size follow.
                      PickedRun{"AnchorTypedAfterPicking",
                                2835,
                                "0.5",
                                2,
                                nothing,
                                [](mainS& w) {
                                    typeAnchor(w, 0, "10", "5");
                                    EXPECT_EQ(w.Command1->text(), "确定");
                                },
                                {"--pitch", "0.5", "--sharpness", "3", "--anchor", "1:10,5"},
                                "pic1!.tif"},
                      // A width typed before the anchor stays; the height follows the
                      // new proportion.
                      PickedRun{"WidthTypedThenAnchor",
                                2835,
                                "0.5",
                                2,
                                nothing,
                                [](mainS& w) {
                                    w.CombK->lineEdit()->selectAll();
                                    typeText(w.CombK->lineEdit(), "3");
                                    typeAnchor(w, 0, "10", "5");
                                    EXPECT_EQ(w.CombK->currentText(), "3");
                                },
                                {"--pitch", "0.5", "--sharpness", "3", "--width", "3", "--anchor",
                                 "1:10,5"},
                                "pic1!.tif"},
                      // Digits from a Chinese input method, in every number box.
                      PickedRun{"FullWidthDigits",
                                2835,
                                "０．５",
                                2,
                                nothing,
                                [](mainS& w) {
                                    typeAnchor(w, 1, "３", "２");
                                    EXPECT_EQ(w.Label2->text(), "304.8 像素/英寸");
                                },
                                {"--pitch", "0.5", "--sharpness", "3", "--anchor", "2:3,2"},
                                "pic1!.tif"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
