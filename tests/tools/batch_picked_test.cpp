// Pictures picked through the window's file list, the print size it proposes,
// a run started with the start button: the batch tool, given only the same
// pictures, pitch and sharpness (and what the user changed), writes the same
// file.

#include "app/main_window.h"
#include "tests/app/pick_fixture.h"
#include "tests/app/typing.h"
#include "tests/render/picture_fixture.h"
#include "tests/tools/window_and_batch.h"

#include <QComboBox>
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

void nothing(mainS&) {}

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
                                "pic1!.tif"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
