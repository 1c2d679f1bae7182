// The pitch and sharpness boxes in the window: ranges, the white-gap list,
// the resolution label and when the start button must be confirmed again.

#include "params/print_settings.h"
#include "tests/app/qt_print.h"
#include "tests/app/typing.h"
#include "tests/params/combo_input.h"
#include "tests/params/params_window.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <functional>

namespace tovrel::test {
namespace {

using Act = std::function<void(mainS&)>;

const auto byName = [](const auto& info) { return std::string(info.param.name); };

using BoxOf = QComboBox* mainS::*;
constexpr BoxOf pitch = &mainS::Combo3;
constexpr BoxOf sharpness = &mainS::Combo4;
constexpr BoxOf printerPpi = &mainS::ComboRes;

Act clicked(BoxOf box, int index) {
    return [box, index](mainS& w) { pickByClick(w.*box, index); };
}
Act keyed(BoxOf box, int index) {
    return [box, index](mainS& w) { pickByKeys(w.*box, index); };
}
Act typed(BoxOf box, const QString& text) {
    return [box, text](mainS& w) { typeInto(w.*box, text); };
}
Act pasted(BoxOf box, const QString& text) {
    return [box, text](mainS& w) { pasteInto(w.*box, text); };
}

void clearCredits(mainS& w) {
    w.Label4->clear();
    w.Label5->clear();
    w.Label1->clear();
}

bool creditsShown(const mainS& w) {
    return !w.Label4->text().isEmpty() && !w.Label5->text().isEmpty() &&
           !w.Label1->text().isEmpty();
}

struct Example {
    const char* name;
    uint8_t pictures;
    Act first;
    Act second;
    const char* label;
    float Pitch;
    float Sharp;
    float fbl; // pixels per centimetre
};

void PrintTo(const Example& example, std::ostream* out) {
    *out << example.name;
}

class ResolutionExample : public ParamsWindowTest, public ::testing::WithParamInterface<Example> {};

TEST_P(ResolutionExample, ShowsPixelsPerInchAndStoresPerCentimetre) {
    const Example& e = GetParam();
    choosePictures(e.pictures);
    e.first(*window);
    e.second(*window);
    EXPECT_EQ(resolutionText(), QString(e.label));
    EXPECT_EQ(window->job.Pitch, e.Pitch);
    EXPECT_EQ(window->job.Sharp, e.Sharp);
    EXPECT_FLOAT_EQ(window->job.fbl, e.fbl);
    EXPECT_EQ(caption(), QString("确定"));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ResolutionExample,
    ::testing::Values(Example{"TwoPicturesSharpness1", 2, clicked(pitch, 0), keyed(sharpness, 0),
                              "200 像素/英寸", 0.254f, 1, 78.740157f},
                      Example{"TwoPicturesSharpness3", 2, typed(sharpness, "3"),
                              typed(pitch, "0.508"), "300 像素/英寸", 0.508f, 3, 118.11024f},
                      Example{"FourPicturesSharpness2", 4, typed(pitch, "0.3mm"),
                              typed(sharpness, "2 倍清晰"), "677.333 像素/英寸", 0.3f, 2,
                              266.66667f},
                      Example{"SharpnessTwenty", 2, keyed(sharpness, 19), clicked(pitch, 0),
                              "4000 像素/英寸", 0.254f, 20, 1574.8031f}),
    byName);

// Two pictures, pitch 0.254 and sharpness 2 chosen (400 pixels per inch),
// white gaps on, and the parameters confirmed.
class ChosenParameters : public ParamsWindowTest {
  protected:
    void SetUp() override {
        ParamsWindowTest::SetUp();
        choosePictures(2);
        pickByClick(window->Combo3, 0);
        pickByKeys(window->Combo4, 1);
        QTest::mouseClick(window->LB1, Qt::LeftButton);
        ASSERT_EQ(resolutionText(), QString("400 像素/英寸"));
        ASSERT_TRUE(window->LB1->isChecked());
        confirm();
    }
};

struct Input {
    const char* name;
    Act act;
};

void PrintTo(const Input& input, std::ostream* out) {
    *out << input.name;
}

struct Entry {
    const char* name;
    Act act;
    const char* box;   // the text the box is left with
    const char* label; // the resolution label afterwards
};

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << entry.name;
}

class PitchEntry : public ChosenParameters, public ::testing::WithParamInterface<Entry> {};

TEST_P(PitchEntry, KeptInRangeAndConfirmedAgain) {
    clearCredits(*window);
    GetParam().act(*window);
    EXPECT_EQ(window->Combo3->currentText(), QString(GetParam().box));
    EXPECT_EQ(resolutionText(), QString(GetParam().label));
    EXPECT_EQ(caption(), QString("确定"));
    EXPECT_TRUE(creditsShown(*window));
    EXPECT_TRUE(messages.empty());
}

const QString kManyNines(4000, '9');
const QString kLongHex = "&H" + QString(400, 'F');

INSTANTIATE_TEST_SUITE_P(
    Texts, PitchEntry,
    ::testing::Values(
        Entry{"Three", typed(pitch, "3"), "3", "33.867 像素/英寸"},
        // "3", "3." and "3.0" are shown on the way to 3.01.
        Entry{"AboveThree", typed(pitch, "3.01"), "栅距", "33.867 像素/英寸"},
        Entry{"Negative", typed(pitch, "-1"), "栅距", "400 像素/英寸"},
        Entry{"Zero", typed(pitch, "0"), "0", "400 像素/英寸"},
        Entry{"StoredPitchAboveThree", clicked(pitch, 3), "栅距", "400 像素/英寸"},
        Entry{"OtherStoredPitch", clicked(pitch, 1), "0.508", "200 像素/英寸"},
        Entry{"BeyondDoubles", pasted(pitch, "1e999"), "栅距", "400 像素/英寸"},
        Entry{"ThousandsOfDigits", pasted(pitch, kManyNines), "栅距", "400 像素/英寸"},
        Entry{"LongHexadecimal", pasted(pitch, kLongHex), "栅距", "400 像素/英寸"},
        Entry{"NotANumber", pasted(pitch, "NaN"), "NaN", "400 像素/英寸"},
        // No single-precision pitch or resolution: the label is left alone.
        Entry{"ZeroAsSingle", pasted(pitch, "1e-50"), "1e-50", "400 像素/英寸"},
        Entry{"ResolutionBeyondSingles", pasted(pitch, "1e-40"), "1e-40", "400 像素/英寸"}),
    byName);

class RejectedSharpness : public ChosenParameters, public ::testing::WithParamInterface<Input> {};

TEST_P(RejectedSharpness, OnlyTheLabelComesBack) {
    window->Combo1->setCurrentIndex(-1);
    clearCredits(*window);
    GetParam().act(*window);
    EXPECT_EQ(window->Combo4->currentText(), QString("清晰倍数"));
    EXPECT_EQ(caption(), QString("开始"));
    EXPECT_EQ(resolutionText(), QString("400 像素/英寸"));
    EXPECT_EQ(window->job.Sharp, 2.0f);
    EXPECT_TRUE(window->LB1->isChecked());
    EXPECT_TRUE(window->LB1->isEnabled());
    EXPECT_EQ(itemsOf(window->Combo1), QStringList{"1/2"});
    EXPECT_EQ(window->Combo1->currentIndex(), -1);
    EXPECT_FALSE(creditsShown(*window));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RejectedSharpness,
    ::testing::Values(Input{"TwentyOne",
                            [](mainS& w) {
                                // "2 倍清晰" becomes "21 倍清晰".
                                w.Combo4->setFocus();
                                QTest::keyClick(w.Combo4, Qt::Key_Home);
                                QTest::keyClick(w.Combo4, Qt::Key_Right);
                                typeText(w.Combo4, "1");
                            }},
                      Input{"Zero", typed(sharpness, "0")}, Input{"Label", typed(sharpness, "清")},
                      Input{"BelowOne", pasted(sharpness, "0.99")},
                      Input{"AboveTwenty", pasted(sharpness, "20.5")},
                      Input{"Negative", pasted(sharpness, "-3")},
                      Input{"BeyondDoubles", pasted(sharpness, "1e999")},
                      Input{"ThousandsOfDigits", pasted(sharpness, kManyNines)},
                      Input{"Tiny", pasted(sharpness, "1e-50")},
                      // Strips of 2.5 pixels cannot match the lens.
                      Input{"NotWhole", pasted(sharpness, "2.5")}),
    byName);

// The printer resolution: the check box, then the resolution box.
Act printerOn(Act then) {
    return [then](mainS& w) {
        QTest::mouseClick(w.PrinterRes, Qt::LeftButton);
        then(w);
    };
}
class OnePicture : public ParamsWindowTest, public ::testing::WithParamInterface<Input> {};

TEST_P(OnePicture, ChangesAreConfirmedAgainButNotShown) {
    choosePictures(1);
    clicked(pitch, 0)(*window);
    keyed(sharpness, 3)(*window);
    confirm();
    GetParam().act(*window);
    EXPECT_EQ(caption(), QString("确定"));
    EXPECT_EQ(resolutionText(), QString("       像素/英寸"));
    EXPECT_EQ(window->job.Pitch, 0.0f);
    EXPECT_EQ(window->job.Sharp, 0.0f);
    EXPECT_EQ(window->job.fbl, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Changes, OnePicture,
                         ::testing::Values(Input{"PitchPicked", clicked(pitch, 1)},
                                           Input{"PitchTyped", typed(pitch, "0.5")},
                                           Input{"SharpnessPicked", keyed(sharpness, 5)},
                                           Input{"SharpnessTyped", typed(sharpness, "7")},
                                           // The printer's resolution shown, then no longer
                                           // in force: the label keeps no stale value.
                                           Input{"PrinterOnAndOff",
                                                 [](mainS& w) {
                                                     printerOn(keyed(printerPpi, 3))(w);
                                                     QTest::mouseClick(w.PrinterRes,
                                                                       Qt::LeftButton);
                                                 }},
                                           Input{"PrinterResolutionRefused",
                                                 printerOn([](mainS& w) {
                                                     keyed(printerPpi, 3)(w);
                                                     typeInto(w.ComboRes, "abc");
                                                 })}),
                         byName);

class WhiteGaps : public ParamsWindowTest {};

TEST_F(WhiteGaps, ListFollowsTheSharpness) {
    choosePictures(2);
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    EXPECT_TRUE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->count(), 0);

    pickByKeys(window->Combo4, 0); // 1: no room for a gap
    EXPECT_FALSE(window->LB1->isChecked());
    EXPECT_FALSE(window->LB1->isEnabled());
    EXPECT_EQ(window->Combo1->count(), 0);
    EXPECT_FALSE(window->Combo1->isEnabled());

    pickByKeys(window->Combo4, 2);
    EXPECT_TRUE(window->LB1->isEnabled());
    EXPECT_FALSE(window->LB1->isChecked());
    EXPECT_EQ(itemsOf(window->Combo1), (QStringList{"1/3", "2/3"}));
    EXPECT_FALSE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->currentIndex(), -1);

    QTest::mouseClick(window->LB1, Qt::LeftButton);
    EXPECT_TRUE(window->Combo1->isEnabled());
    EXPECT_EQ(window->Combo1->currentText(), QString("1/3"));

    window->Combo1->setFocus();
    QTest::keyClick(window->Combo1, Qt::Key_Down);
    ASSERT_EQ(window->Combo1->currentText(), QString("2/3"));
    pickByClick(window->Combo4, 3);
    EXPECT_EQ(itemsOf(window->Combo1), (QStringList{"1/4", "2/4", "3/4"}));
    EXPECT_EQ(window->Combo1->currentText(), QString("1/4"));
    EXPECT_TRUE(window->Combo1->isEnabled());

    // A sharpness that is not whole is out of range, as 21 is: the label
    // comes back and the list stays as the 2 typed on the way left it.
    typeInto(window->Combo4, "2.5");
    EXPECT_EQ(window->Combo4->currentText(), QString("清晰倍数"));
    EXPECT_EQ(itemsOf(window->Combo1), (QStringList{"1/2"}));
    pasteInto(window->Combo4, "1.4");
    EXPECT_EQ(window->Combo4->currentText(), QString("清晰倍数"));
    EXPECT_EQ(itemsOf(window->Combo1), (QStringList{"1/2"}));
    EXPECT_TRUE(window->LB1->isChecked());
    EXPECT_TRUE(window->Combo1->isEnabled());

    pickByKeys(window->Combo4, 0);
    EXPECT_FALSE(window->LB1->isChecked());
    EXPECT_FALSE(window->LB1->isEnabled());
    EXPECT_FALSE(window->Combo1->isEnabled());
}

TEST_F(WhiteGaps, OnePickRebuildsTheListOnce) {
    choosePictures(2);
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    QSignalSpy inserted(window->Combo1->model(), &QAbstractItemModel::rowsInserted);
    pickByClick(window->Combo4, 3);
    EXPECT_EQ(inserted.count(), 1);

    // Picking the shown item again is a pick of its own: once more.
    window->Combo1->setCurrentIndex(2);
    confirm();
    inserted.clear();
    pickByKeys(window->Combo4, 3);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(window->Combo1->currentText(), QString("1/4"));
    EXPECT_EQ(caption(), QString("确定"));

    // Typing the item's text and leaving the box adds nothing to the typing.
    typeInto(window->Combo4, "5 倍清晰");
    window->Combo1->setCurrentIndex(2);
    inserted.clear();
    QTest::keyClick(window->Combo4, Qt::Key_Return);
    window->Combo3->setFocus();
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(window->Combo1->currentText(), QString("3/5"));
}

TEST_F(ChosenParameters, ReloadingThePitchListKeepsTheResolutionShown) {
    QTest::mouseClick(window->Command3, Qt::LeftButton); // deletes 0.254, reloads
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(itemsOf(window->Combo3), (QStringList{"0.508", "0.3", "5"}));
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距mm"));
    EXPECT_EQ(caption(), QString("确定"));
    EXPECT_EQ(resolutionText(), QString("400 像素/英寸"));
    EXPECT_EQ(window->job.Pitch, 0.254f);
}

TEST_F(ChosenParameters, AcceptedSharpnessIsConfirmedAgainWithCredits) {
    clearCredits(*window);
    pickByKeys(window->Combo4, 4);
    EXPECT_EQ(caption(), QString("确定"));
    EXPECT_TRUE(creditsShown(*window));
    EXPECT_EQ(resolutionText(), QString("1000 像素/英寸"));
}

Act leaveBox(Act then) {
    return [then](mainS& w) {
        then(w);
        QTest::keyClick(w.ComboRes, Qt::Key_Tab);
    };
}
const Act nothing = [](mainS&) {};

class PrinterEntry : public ChosenParameters, public ::testing::WithParamInterface<Entry> {};

TEST_P(PrinterEntry, ShowsThePrintersResolutionAndConfirmsAgain) {
    // A print size, which confirming asks for.
    window->CombK->setEditText("2");
    window->CombG->setEditText("1.5");
    clearCredits(*window);
    GetParam().act(*window);
    EXPECT_EQ(window->ComboRes->currentText(), QString(GetParam().box));
    EXPECT_EQ(resolutionText(), QString(GetParam().label));
    EXPECT_EQ(caption(), QString("确定"));
    EXPECT_TRUE(creditsShown(*window));
    // A run may start only with a resolution taken whose lenses (pitch
    // 0.254) hold a pixel for each of the two pictures: 200 ppi at least.
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    const std::optional<int32_t> ppi = printerPpiOf(GetParam().box);
    const bool runs = ppi && *ppi >= 200;
    EXPECT_EQ(caption(), QString(runs ? "开始" : "确定"));
    ASSERT_EQ(messages.size(), runs ? 0u : 1u);
    if (ppi && !runs) {
        EXPECT_TRUE(messages[0].contains("打印机分辨率至少要 200 像素/英寸"))
            << messages[0].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PrinterEntry,
    ::testing::Values(
        Entry{"Picked", printerOn(keyed(printerPpi, 3)), "720", "720 像素/英寸"},
        Entry{"Clicked", printerOn(clicked(printerPpi, 6)), "2400", "2400 像素/英寸"},
        Entry{"Typed", printerOn(typed(printerPpi, "1200")), "1200", "1200 像素/英寸"},
        Entry{"Lowest", printerOn(typed(printerPpi, "72")), "72", "72 像素/英寸"},
        Entry{"LensesJustWideEnough", printerOn(typed(printerPpi, "200")), "200", "200 像素/英寸"},
        Entry{"Pasted", printerOn(pasted(printerPpi, "4800")), "4800", "4800 像素/英寸"},
        Entry{"AboveTheRange", printerOn(typed(printerPpi, "4801")), "DPI", "400 像素/英寸"},
        Entry{"Letters", printerOn(typed(printerPpi, "abc")), "DPI", "400 像素/英寸"},
        Entry{"NotWhole", printerOn(typed(printerPpi, "600.5")), "DPI", "400 像素/英寸"},
        Entry{"TooFewDigitsLeft", printerOn(leaveBox(typed(printerPpi, "7"))), "DPI",
              "400 像素/英寸"},
        Entry{"OnWithoutResolution", printerOn(nothing), "DPI", "400 像素/英寸"}),
    byName);

TEST_F(ChosenParameters, PrinterChoiceIsKeptForTheNextRunOfTheProgram) {
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    pickByKeys(window->ComboRes, 5);
    window.reset();
    open();
    EXPECT_TRUE(window->PrinterRes->isChecked());
    EXPECT_TRUE(window->ComboRes->isEnabled());
    EXPECT_EQ(window->ComboRes->currentText(), QString("1440"));
    // Off again: the lenses' own resolution is shown, and kept so.
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    EXPECT_FALSE(window->ComboRes->isEnabled());
    EXPECT_EQ(caption(), QString("确定"));
    window.reset();
    open();
    EXPECT_FALSE(window->PrinterRes->isChecked());
    EXPECT_FALSE(window->ComboRes->isEnabled());
    EXPECT_EQ(window->ComboRes->currentText(), QString("1440"));
}

} // namespace
} // namespace tovrel::test
