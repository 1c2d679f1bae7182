// Picking, typing and setting texts in an editable combo box run its handling
// once per event, with the text the box ends up showing.

#include "params/control_events.h"
#include "tests/app/qt_print.h"
#include "tests/app/typing.h"
#include "tests/params/combo_input.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <QtTest/QTest>
#include <functional>
#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

// An editable box like the window's, showing a label, beside a second box
// that can take the focus.
class Host {
  public:
    explicit Host(QStringList items) {
        box = new QComboBox(&widget);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        box->addItems(items);
        box->setCurrentIndex(-1);
        box->setEditText("lab");
        other = new QLineEdit(&widget);
        other->move(0, 40);
        connectChangeAndClick(
            box, [this] { runs << "change:" + box->currentText(); },
            [this] { runs << "click:" + box->currentText(); });
        widget.show();
        QApplication::setActiveWindow(&widget);
        QCoreApplication::processEvents();
    }

    QStringList runs; // outlives the widgets, which may still signal as they go
    QWidget widget;
    QComboBox* box = nullptr;
    QLineEdit* other = nullptr;
};

struct Action {
    const char* name;
    std::function<void(Host&)> act;
    QStringList runs; // handler runs the action causes, with the text each saw
};

void PrintTo(const Action& action, std::ostream* out) {
    *out << action.name;
}

class ChangeAndClick : public ::testing::TestWithParam<Action> {};

TEST_P(ChangeAndClick, OneRunPerEvent) {
    Host host({"1 a", "2 a", "3 a", "3 a"});
    GetParam().act(host);
    EXPECT_EQ(host.runs, GetParam().runs);
}

void pickThenForget(Host& host, int index) {
    pickByKeys(host.box, index);
    host.runs.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Events, ChangeAndClick,
    ::testing::Values(
        Action{"Typing",
               [](Host& h) { typeInto(h.box, "2 a"); },
               {"change:2", "change:2 ", "change:2 a"}},
        Action{"TypingAnItemThenReturn",
               [](Host& h) {
                   typeInto(h.box, "2 a");
                   h.runs.clear();
                   QTest::keyClick(h.box, Qt::Key_Return);
               },
               {}},
        Action{"TypingAnItemThenLeaving",
               [](Host& h) {
                   typeInto(h.box, "1 a");
                   h.runs.clear();
                   h.other->setFocus();
               },
               {}},
        Action{"ArrowKeyOnTheClosedBox",
               [](Host& h) { QTest::keyClick(h.box, Qt::Key_Down); },
               {"change:1 a"}},
        Action{"PickByKeys", [](Host& h) { pickByKeys(h.box, 1); }, {"change:2 a"}},
        Action{"PickByClick", [](Host& h) { pickByClick(h.box, 2); }, {"change:3 a"}},
        Action{"PickTheShownItemAgain",
               [](Host& h) {
                   pickThenForget(h, 1);
                   pickByClick(h.box, 1);
               },
               {"click:2 a"}},
        Action{"PickACopyOfTheShownText",
               [](Host& h) {
                   pickThenForget(h, 2);
                   pickByKeys(h.box, 3);
               },
               {"click:3 a"}},
        Action{"PickTheCurrentItemAfterTyping",
               [](Host& h) {
                   pickThenForget(h, 1);
                   typeText(h.box, "x");
                   h.runs.clear();
                   pickByKeys(h.box, 1);
               },
               {"change:2 a"}},
        Action{"ClickAfterTypingIsStillAPick",
               [](Host& h) {
                   pickThenForget(h, 0);
                   typeInto(h.box, "1 a");
                   h.runs.clear();
                   pickByClick(h.box, 0);
               },
               {"click:1 a"}},
        Action{"TextSetByCode", [](Host& h) { h.box->setEditText("7"); }, {"change:7"}},
        Action{"SameTextSetByCode", [](Host& h) { h.box->setEditText("lab"); }, {}},
        Action{"ItemChosenByCode", [](Host& h) { h.box->setCurrentIndex(1); }, {"change:2 a"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangeAndClickHandler, SeesTheTextItLeavesInTheBox) {
    // A handler that refuses the third item puts the label back; the pick
    // runs no further handling after that.
    QStringList runs;
    QWidget widget;
    auto* box = new QComboBox(&widget);
    box->setEditable(true);
    box->addItems({"1 a", "2 a", "9 a"});
    box->setCurrentIndex(-1);
    box->setEditText("lab");
    auto handle = [box, &runs] {
        runs << box->currentText();
        if (box->currentText() == "9 a") {
            box->setEditText("lab");
        }
    };
    connectChangeAndClick(box, handle, handle);
    widget.show();
    QApplication::setActiveWindow(&widget);
    pickByClick(box, 2);
    EXPECT_EQ(runs, (QStringList{"9 a", "lab"}));
    EXPECT_EQ(box->currentText(), QString("lab"));
}

TEST(Chosen, RunsWhenTheButtonBecomesTheChosenOne) {
    int firstRuns = 0;
    int secondRuns = 0;
    QWidget widget;
    auto* first = new QRadioButton("a", &widget);
    auto* second = new QRadioButton("b", &widget);
    second->move(0, 30);
    first->setChecked(true);
    connectChosen(first, [&firstRuns] { ++firstRuns; });
    connectChosen(second, [&secondRuns] { ++secondRuns; });
    widget.show();

    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(secondRuns, 1);
    EXPECT_EQ(firstRuns, 0); // leaving a button runs nothing
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(secondRuns, 1); // already chosen: no change
    first->setChecked(true);
    EXPECT_EQ(firstRuns, 1);
    EXPECT_EQ(secondRuns, 1);
}

} // namespace
} // namespace tovrel::test
