// Print width and height in the window: the proportion lock, the width cap,
// the exchange between the two boxes, white gaps and the direction mark.

#include "tests/app/qt_print.h"
#include "tests/params/combo_input.h"
#include "tests/params/params_window.h"

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

const auto byName = [](const auto& info) { return std::string(info.param.name); };

enum class Box { Width, Height };
enum class Entry { Typed, Pasted };

struct SizeCase {
    const char* name;
    float aspect;
    bool locked;
    Box box;
    Entry entry;
    QString text;
    const char* width; // texts of both boxes afterwards
    const char* height;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class PrintSize : public ParamsWindowTest, public ::testing::WithParamInterface<SizeCase> {
  protected:
    void enter(const SizeCase& c) {
        QComboBox* box = c.box == Box::Width ? window->CombK : window->CombG;
        if (c.entry == Entry::Typed) {
            typeInto(box, c.text);
        } else {
            pasteInto(box, c.text);
        }
    }
};

TEST_P(PrintSize, BoxesEndInProportionUnderTheCap) {
    const SizeCase& c = GetParam();
    window->job.Aspect = c.aspect;
    if (!c.locked) {
        QTest::mouseClick(window->YBL, Qt::LeftButton);
        ASSERT_FALSE(window->YBL->isChecked());
    }
    confirm();
    enter(c);
    EXPECT_EQ(window->CombK->currentText(), QString(c.width));
    EXPECT_EQ(window->CombG->currentText(), QString(c.height));
    EXPECT_EQ(caption(), QString(c.aspect == 0 ? "开始" : "确定"));
    EXPECT_TRUE(messages.empty());
}

const float k4by3 = 640.0f / 480.0f;     // 1.3333334
const float k301by221 = 301.0f / 221.0f; // 1 gives 0.73, which gives 0.99

INSTANTIATE_TEST_SUITE_P(
    Sizes, PrintSize,
    ::testing::Values(
        SizeCase{"WidthTwenty", k4by3, true, Box::Width, Entry::Typed, "20", "20", "15"},
        SizeCase{"HeightFiveHundred", 1, true, Box::Height, Entry::Typed, "500", "300", "300"},
        SizeCase{"Width301Locked", 1.5f, true, Box::Width, Entry::Typed, "301", "300", "200"},
        SizeCase{"Width300", 1.5f, true, Box::Width, Entry::Typed, "300", "300", "200"},
        SizeCase{"Height301Unlocked", 1, false, Box::Height, Entry::Typed, "301", "宽cm", "301"},
        SizeCase{"Width301Unlocked", 1, false, Box::Width, Entry::Typed, "301", "300", "高cm"},
        SizeCase{"WidthUnlocked", 1, false, Box::Width, Entry::Typed, "20", "20", "高cm"},
        SizeCase{"NoFrameYet", 0, true, Box::Width, Entry::Typed, "500", "500", "高cm"},
        SizeCase{"NoFrameYetHeight", 0, true, Box::Height, Entry::Typed, "7", "宽cm", "7"},
        // Values that round back and forth before the texts settle.
        SizeCase{"WidthOffTheGrid", 3, true, Box::Width, Entry::Pasted, "20.125", "20.125", "6.71"},
        SizeCase{"HeightOffTheGrid", 1.0f / 3, true, Box::Height, Entry::Pasted, "20.125", "6.71",
                 "20.125"},
        SizeCase{"WidthRoundsToNothing", 7, true, Box::Width, Entry::Pasted, "0.01", "0.01", "0"},
        SizeCase{"TallestFrame", 1.0f / 2147483648.0f, true, Box::Width, Entry::Pasted, "300",
                 "300", "644245094400"},
        SizeCase{"WidestFrame", 2147483648.0f, true, Box::Height, Entry::Pasted, "1", "0", "0"},
        SizeCase{"WidthWithUnit", k4by3, true, Box::Width, Entry::Pasted, "20.0cm", "20.0cm", "15"},
        // Texts no number type holds.
        SizeCase{"WidthBeyondDoubles", k4by3, true, Box::Width, Entry::Pasted, "1e999", "300",
                 "225"},
        SizeCase{"HeightBeyondDoubles", k4by3, true, Box::Height, Entry::Pasted, "1e999", "300",
                 "225"},
        SizeCase{"HeightWhoseWidthIsNoDouble", 2, true, Box::Height, Entry::Pasted, "1D308", "300",
                 "150"},
        SizeCase{"WidthThousandsOfDigits", k4by3, true, Box::Width, Entry::Pasted,
                 QString(5000, '9'), "300", "225"},
        SizeCase{"HeightLongHexadecimal", k4by3, true, Box::Height, Entry::Pasted,
                 "&H" + QString(400, 'F'), "300", "225"},
        SizeCase{"WidthNegativeBeyondDoubles", k4by3, true, Box::Width, Entry::Pasted, "-1e999",
                 "-1e999", "高cm"},
        SizeCase{"WidthNotANumber", k4by3, true, Box::Width, Entry::Pasted, "NaN", "NaN", "0"},
        SizeCase{"HeightInfinity", k4by3, true, Box::Height, Entry::Pasted, "Infinity", "0",
                 "Infinity"},
        // The other box follows what the user types; the typed box keeps it.
        SizeCase{"TypedHundred", k301by221, true, Box::Width, Entry::Typed, "100", "100", "73.42"},
        SizeCase{"TypedTwentyPointSix", k301by221, true, Box::Width, Entry::Typed, "20.6", "20.6",
                 "15.12"},
        SizeCase{"PastedHundred", k301by221, true, Box::Width, Entry::Pasted, "100", "100",
                 "73.42"},
        SizeCase{"TypedHeight", k301by221, true, Box::Height, Entry::Typed, "15", "20.43", "15"}),
    byName);

class SizeExchange : public ParamsWindowTest {};

TEST_F(SizeExchange, EachEditConfirmsAgainWithOrWithoutTheLock) {
    window->job.Aspect = 2;
    for (const bool locked : {true, false}) {
        if (window->YBL->isChecked() != locked) {
            QTest::mouseClick(window->YBL, Qt::LeftButton);
        }
        confirm();
        typeInto(window->CombK, "8");
        EXPECT_EQ(caption(), QString("确定")) << locked;
        confirm();
        typeInto(window->CombG, "9");
        EXPECT_EQ(caption(), QString("确定")) << locked;
        EXPECT_EQ(window->CombK->currentText(), QString(locked ? "18" : "8"));
    }
}

TEST_F(SizeExchange, EndsEvenWhenAnotherHandlerKeepsAnswering) {
    // Something else that rewrites the width on every height change would
    // keep the exchange going for ever; the handlers stop answering instead.
    window->job.Aspect = 1;
    int answers = 0;
    QObject::connect(window->CombG, &QComboBox::editTextChanged, [this, &answers] {
        ++answers;
        window->CombK->setEditText(QString::number(answers % 2 + 1));
    });
    typeInto(window->CombK, "5");
    EXPECT_GT(answers, 1);
    EXPECT_LT(answers, 100);
    // The window still takes input afterwards.
    QObject::disconnect(window->CombG, &QComboBox::editTextChanged, nullptr, nullptr);
    typeInto(window->CombK, "40");
    EXPECT_EQ(window->CombG->currentText(), QString("40"));
}

class WhiteGapSwitch : public ParamsWindowTest {};

TEST_F(WhiteGapSwitch, ListFollowsTheBoxAndKeepsItsItems) {
    choosePictures(2);
    pickByKeys(window->Combo4, 3); // items 1/4, 2/4, 3/4
    confirm();

    window->Label4->clear();
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    EXPECT_TRUE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->currentText(), QString("1/4"));
    EXPECT_FALSE(window->Label4->text().isEmpty());

    window->Combo1->setFocus();
    QTest::keyClick(window->Combo1, Qt::Key_End);
    ASSERT_EQ(window->Combo1->currentText(), QString("3/4"));

    window->Label4->clear();
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    EXPECT_FALSE(window->Combo1->isEnabled());
    EXPECT_EQ(itemsOf(window->Combo1), (QStringList{"1/4", "2/4", "3/4"}));
    EXPECT_EQ(window->Combo1->currentText(), QString("3/4"));
    EXPECT_FALSE(window->Label4->text().isEmpty());

    window->LB1->setFocus();
    QTest::keyClick(window->LB1, Qt::Key_Space);
    EXPECT_TRUE(window->LB1->isChecked());
    EXPECT_TRUE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->currentText(), QString("1/4"));
    EXPECT_EQ(caption(), QString("开始"));
}

TEST_F(WhiteGapSwitch, EmptyListIsOnlyEnabled) {
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    EXPECT_TRUE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->currentIndex(), -1);
}

struct Naming {
    const char* name;
    const char* output;
    const char* horizontal; // after choosing Op_h
    const char* vertical;   // after choosing Op_s again
};

void PrintTo(const Naming& n, std::ostream* out) {
    *out << n.name;
}

class DirectionMark : public ParamsWindowTest, public ::testing::WithParamInterface<Naming> {};

TEST_P(DirectionMark, FollowsTheChosenDirection) {
    const Naming& n = GetParam();
    window->TextOUT->setText(n.output);
    confirm();
    QTest::mouseClick(window->Op_h, Qt::LeftButton);
    ASSERT_TRUE(window->Op_h->isChecked());
    EXPECT_EQ(window->TextOUT->text(), QString(n.horizontal));
    window->Op_h->setFocus();
    QTest::keyClick(window->Op_h, Qt::Key_Left);
    ASSERT_TRUE(window->Op_s->isChecked());
    EXPECT_EQ(window->TextOUT->text(), QString(n.vertical));
    EXPECT_EQ(caption(), QString("开始"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, DirectionMark,
    ::testing::Values(Naming{"Marked", "a!.tif", "a-.tif", "a!.tif"},
                      Naming{"Chinese", "/图片/猫 咪!.tif", "/图片/猫 咪-.tif", "/图片/猫 咪!.tif"},
                      Naming{"OnlyTheEnding", "!.tif", "!.tif", "!.tif"},
                      Naming{"UpperCase", "a!.TIF", "a!.TIF", "a!.TIF"},
                      Naming{"AlreadyHorizontal", "a-.tif", "a-.tif", "a!.tif"},
                      Naming{"Unmarked", "a.tif", "a.tif", "a.tif"},
                      Naming{"Prompt", "输出文件", "输出文件", "输出文件"}),
    byName);

} // namespace
} // namespace tovrel::test
