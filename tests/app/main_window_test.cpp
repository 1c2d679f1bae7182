// Start-up with and without the data file, the size cap, exit, and deleting a
// pitch from the pitch box.

#include "app/main_window.h"
#include "app/name_box.h"
#include "params/pitch_store.h"
#include "tests/app/data_file.h"
#include "tests/app/qt_print.h"
#include "tests/app/typing.h"
#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest/QTest>

namespace tovrel::test {
namespace {

struct Resize {
    QSize asked;
    QSize kept;
};

class SizeCap : public WindowTest, public ::testing::WithParamInterface<Resize> {};

TEST_P(SizeCap, OuterSizeNeverExceedsTheCap) {
    writeDataFile(dataDir.path(), {});
    open();
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(GetParam().asked - frame);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->frameGeometry().size(), GetParam().kept);
}

// Outer sizes in pixels; the cap is 12030 x 8445 twips, 802 x 563 pixels.
INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeCap,
    ::testing::Values(Resize{{900, 700}, {802, 563}}, Resize{{803, 564}, {802, 563}},
                      Resize{{802, 563}, {802, 563}}, Resize{{900, 500}, {802, 500}},
                      Resize{{700, 600}, {700, 563}}, Resize{{802, 400}, {802, 400}},
                      Resize{{600, 300}, {600, 300}}, Resize{{120, 90}, {120, 90}}),
    [](const auto& info) {
        const QSize asked = info.param.asked;
        return std::to_string(asked.width()) + "x" + std::to_string(asked.height());
    });

class Exit : public WindowTest {};

TEST_F(Exit, ExitButtonClosesTheWindowAtOnce) {
    writeDataFile(dataDir.path(), {0.5f});
    open();
    window->TextOUT->setText("/tmp/cat!.tif");
    window->Combo3->setCurrentIndex(0);
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Exit, CloseBoxIsAccepted) {
    writeDataFile(dataDir.path(), {});
    open();
    QCloseEvent closing;
    QApplication::sendEvent(window.get(), &closing);
    EXPECT_TRUE(closing.isAccepted());
}

class MissingDataFile : public WindowTest {};

TEST_F(MissingDataFile, MessageAndAnEmptyPitchBox) {
    open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), QString::fromStdString(notFoundMessage()));
    EXPECT_TRUE(messages.front().startsWith("kvxj.dll 没有找到。\r"
                                            "    请复制 kvxj.dll 到该应用程序所在的文件夹。\r\r"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距"));
    EXPECT_EQ(window->Combo3->count(), 0);
    EXPECT_TRUE(window->YBL->isChecked());
    EXPECT_EQ(window->job.ActiveSlot, 1);
}

TEST_F(MissingDataFile, WindowStaysUsable) {
    open();
    messages.clear();
    activate();
    window->Text1->setFocus();
    QTest::keyClick(window->Text1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->Text2);
    QTest::mouseClick(window->Command3, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), QString::fromStdString(notFoundMessage()));
    EXPECT_FALSE(std::filesystem::exists(dataDir / "kvxj.dll"));
    EXPECT_FALSE(std::filesystem::exists(dataDir / "kvxj.dl~"));
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距"));
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MissingDataFile, DamagedFileIsReportedAndLeftAlone) {
    const std::vector<unsigned char> damaged(1000, 0x2A);
    writeFile(dataDir / "kvxj.dll", damaged);
    open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages.front().isEmpty());
    EXPECT_NE(messages.front(), QString::fromStdString(notFoundMessage()));
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距"));
    EXPECT_EQ(window->Combo3->count(), 0);
    EXPECT_EQ(readFile(dataDir / "kvxj.dll"), damaged);
}

class PitchBox : public WindowTest {
  protected:
    void typeIntoPitchBox(const QString& text) {
        activate();
        window->Combo3->setFocus();
        window->Combo3->lineEdit()->selectAll();
        typeText(window->Combo3, text);
    }
};

TEST_F(PitchBox, LoadWritesOnlyTheLabelIntoTheBox) {
    writeDataFile(dataDir.path(), {0.254f, 0.5f});
    window = std::make_unique<mainS>(dataDir.path());
    QStringList seen;
    QObject::connect(window->Combo3, &QComboBox::editTextChanged,
                     [&seen](const QString& text) { seen << text; });
    window->Command1->setText("开始");
    window->show();
    EXPECT_EQ(seen, QStringList{"栅距mm"});
    EXPECT_EQ(window->Command1->text(), QString("确定"));
    // A second load finds the label already there: no change, no handler.
    window->Command1->setText("开始");
    window->loadXJ();
    EXPECT_EQ(seen, QStringList{"栅距mm"});
    EXPECT_EQ(window->Command1->text(), QString("开始"));
    EXPECT_EQ(itemsOf(window->Combo3), (QStringList{"0.254", "0.5"}));
}

TEST_F(PitchBox, AnEmptyListStillShowsTheLabel) {
    writeDataFile(dataDir.path(), {});
    open();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->Combo3->count(), 0);
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距mm"));
}

TEST_F(PitchBox, TypingOrPickingResetsTheStartButton) {
    writeDataFile(dataDir.path(), {0.254f, 0.5f});
    open();
    window->Command1->setText("开始");
    typeIntoPitchBox("0.3");
    EXPECT_EQ(window->Combo3->currentText(), QString("0.3"));
    EXPECT_EQ(window->Command1->text(), QString("确定"));

    window->Command1->setText("开始");
    QTest::keyClick(window->Combo3, Qt::Key_Down);
    EXPECT_EQ(window->Combo3->currentText(), QString("0.254"));
    EXPECT_EQ(window->Command1->text(), QString("确定"));
}

TEST_F(PitchBox, TypedTextIsNeitherCompletedNorAdded) {
    writeDataFile(dataDir.path(), {0.254f, 0.5f});
    open();
    typeIntoPitchBox("0.2");
    EXPECT_EQ(window->Combo3->currentText(), QString("0.2"));
    QTest::keyClick(window->Combo3, Qt::Key_Return);
    EXPECT_EQ(itemsOf(window->Combo3), (QStringList{"0.254", "0.5"}));
    EXPECT_EQ(window->Combo3->currentText(), QString("0.2"));
}

struct Deletion {
    const char* label;
    const char* shown; // what the pitch box reads when X is clicked
    std::vector<float> left;
    QStringList items;
    const char* asked = nullptr; // the question X asks first, if any
    bool answer = true;
};

class DeletePitch : public PitchBox, public ::testing::WithParamInterface<Deletion> {};

TEST_P(DeletePitch, RewritesTheDataFileAndReloads) {
    const std::vector<float> stored{0.254f, 0.5f, 0.254f};
    writeDataFile(dataDir.path(), stored);
    // A leftover temporary file from an interrupted deletion changes nothing.
    writeFile(dataDir / "kvxj.dl~", {1, 2, 3});
    open();
    typeIntoPitchBox(GetParam().shown);
    answer = GetParam().answer;
    QTest::mouseClick(window->Command3, Qt::LeftButton);

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(questions,
              GetParam().asked ? std::vector<QString>{GetParam().asked} : std::vector<QString>{});
    const std::vector<unsigned char> bytes = readFile(dataDir / "kvxj.dll");
    ASSERT_EQ(bytes.size(), 1448 + 4 * GetParam().left.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1448, templateBytes().begin()));
    EXPECT_EQ(entriesOf(bytes), GetParam().left);
    EXPECT_FALSE(std::filesystem::exists(dataDir / "kvxj.dl~"));

    EXPECT_EQ(itemsOf(window->Combo3), GetParam().items);
    EXPECT_EQ(window->Combo3->currentText(),
              QString(GetParam().answer ? "栅距mm" : GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Shown, DeletePitch,
    ::testing::Values(
        Deletion{"EveryCopy", "0.254", {0.5f}, {"0.5"}, "要从栅距列表中删除栅距 0.254 mm 吗？"},
        Deletion{"OneEntry",
                 "0.5",
                 {0.254f, 0.254f},
                 {"0.254", "0.254"},
                 "要从栅距列表中删除栅距 0.5 mm 吗？"},
        Deletion{"TypedWithUnit",
                 "0.5mm",
                 {0.254f, 0.254f},
                 {"0.254", "0.254"},
                 "要从栅距列表中删除栅距 0.5 mm 吗？"},
        Deletion{"Declined",
                 "0.5",
                 {0.254f, 0.5f, 0.254f},
                 {"0.254", "0.5", "0.254"},
                 "要从栅距列表中删除栅距 0.5 mm 吗？",
                 false},
        Deletion{"Label", "栅距mm", {0.254f, 0.5f, 0.254f}, {"0.254", "0.5", "0.254"}},
        Deletion{"NoMatch", "7", {0.254f, 0.5f, 0.254f}, {"0.254", "0.5", "0.254"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PitchBox, DeletingWithoutTheDataFileOnlyReports) {
    writeDataFile(dataDir.path(), {0.5f});
    open();
    std::filesystem::remove(dataDir / "kvxj.dll");
    typeIntoPitchBox("0.5");
    QTest::mouseClick(window->Command3, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), QString::fromStdString(notFoundMessage()));
    EXPECT_FALSE(std::filesystem::exists(dataDir / "kvxj.dll"));
    EXPECT_EQ(itemsOf(window->Combo3), QStringList{"0.5"});
    EXPECT_EQ(window->Combo3->currentText(), QString("0.5"));
}

} // namespace
} // namespace tovrel::test
