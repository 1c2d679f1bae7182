// The window's controls: names, kinds, places, fonts, initial state and the
// order in which Tab walks them.

#include "app/main_window.h"
#include "app/name_box.h"
#include "app/progress_scroll_bar.h"
#include "common/leading_number.h"
#include "tests/app/data_file.h"
#include "tests/app/qt_print.h"
#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest/QTest>

namespace tovrel::test {
namespace {

struct Placed {
    const char* name;
    const char* kind;
    const char* parent;
    QRect pixels;
};

// Places in pixels at 15 twips to the pixel.
const Placed kControls[] = {
    {"Text1", "QLineEdit", "mainS", {368, 328, 89, 18}},
    {"Text2", "QLineEdit", "mainS", {368, 376, 89, 18}},
    {"Text3", "QLineEdit", "mainS", {368, 424, 89, 18}},
    {"Text4", "QLineEdit", "mainS", {368, 472, 89, 18}},
    {"TextX(0)", "QLineEdit", "mainS", {704, 192, 41, 18}},
    {"TextY(0)", "QLineEdit", "mainS", {744, 192, 41, 18}},
    {"Command1", "QPushButton", "mainS", {656, 416, 113, 33}},
    {"TextOUT", "QLineEdit", "mainS", {368, 288, 417, 18}},
    {"Drive1", "QComboBox", "mainS", {8, 224, 161, 20}},
    {"Dir1", "QListWidget", "mainS", {8, 256, 161, 244}},
    {"File1", "QListWidget", "mainS", {176, 224, 161, 278}},
    {"Command2", "QPushButton", "mainS", {656, 464, 113, 33}},
    {"HScroll1", "QScrollBar", "mainS", {368, 256, 417, 17}},
    {"CombK", "QComboBox", "mainS", {488, 328, 65, 20}},
    {"Combo3", "QComboBox", "mainS", {488, 392, 89, 20}},
    {"Combo4", "QComboBox", "mainS", {488, 432, 137, 20}},
    {"Picture1(0)", "QFrame", "mainS", {0, 0, 193, 193}},
    {"Picture1(1)", "QFrame", "mainS", {200, 0, 193, 193}},
    {"Picture1(2)", "QFrame", "mainS", {399, 0, 193, 193}},
    {"Picture1(3)", "QFrame", "mainS", {594, 0, 193, 193}},
    {"TextX(1)", "QLineEdit", "mainS", {704, 208, 41, 18}},
    {"TextX(2)", "QLineEdit", "mainS", {704, 224, 41, 18}},
    {"TextX(3)", "QLineEdit", "mainS", {704, 240, 41, 18}},
    {"TextY(1)", "QLineEdit", "mainS", {744, 208, 41, 18}},
    {"TextY(2)", "QLineEdit", "mainS", {744, 224, 41, 18}},
    {"TextY(3)", "QLineEdit", "mainS", {744, 240, 41, 18}},
    {"LB1", "QCheckBox", "mainS", {488, 472, 49, 17}},
    {"CombG", "QComboBox", "mainS", {560, 328, 65, 20}},
    {"YBL", "QCheckBox", "mainS", {488, 352, 121, 17}},
    {"Combo1", "QComboBox", "mainS", {536, 472, 89, 20}},
    {"Command3", "QPushButton", "mainS", {600, 392, 25, 17}},
    {"Op_h", "QRadioButton", "Frame1", {56, 24, 49, 20}},
    {"Op_s", "QRadioButton", "Frame1", {8, 24, 49, 20}},
    {"Frame1", "QGroupBox", "mainS", {656, 336, 113, 57}},
    {"PrinterRes", "QCheckBox", "mainS", {488, 507, 108, 17}},
    {"ComboRes", "QComboBox", "mainS", {599, 506, 54, 20}},
    {"Image1(0)", "QLabel", "Picture1(0)", {8, 8, 173, 175}},
    {"Image1(1)", "QLabel", "Picture1(1)", {8, 8, 173, 175}},
    {"Image1(2)", "QLabel", "Picture1(2)", {8, 8, 173, 175}},
    {"Image1(3)", "QLabel", "Picture1(3)", {8, 8, 173, 175}},
    {"LabXY(0)", "QLabel", "mainS", {16, 192, 81, 17}},
    {"LabXY(1)", "QLabel", "mainS", {216, 192, 81, 17}},
    {"LabXY(2)", "QLabel", "mainS", {408, 192, 81, 17}},
    {"LabXY(3)", "QLabel", "mainS", {600, 192, 81, 17}},
    {"Label2", "QLabel", "mainS", {664, 312, 105, 17}},
    {"Label4", "QLabel", "mainS", {368, 216, 113, 25}},
    {"Label5", "QLabel", "mainS", {488, 216, 121, 17}},
    {"Label1", "QLabel", "mainS", {488, 232, 137, 17}},
    {"CommandFlip", "QPushButton", "mainS", {656, 505, 54, 22}},
    {"CommandPitchTest", "QPushButton", "mainS", {715, 505, 54, 22}},
};

class ControlPlace : public ::testing::TestWithParam<Placed> {};

TEST_P(ControlPlace, HasItsNameKindContainerAndPlace) {
    const Placed& row = GetParam();
    mainS window(std::filesystem::temp_directory_path());
    const QList<QWidget*> found = window.findChildren<QWidget*>(row.name);
    ASSERT_EQ(found.size(), 1) << row.name;
    QWidget* control = found.front();
    EXPECT_TRUE(control->inherits(row.kind))
        << row.name << " is a " << control->metaObject()->className();
    ASSERT_NE(control->parentWidget(), nullptr);
    EXPECT_EQ(control->parentWidget()->objectName(), QString(row.parent)) << row.name;
    EXPECT_EQ(control->geometry(), row.pixels) << row.name;
}

INSTANTIATE_TEST_SUITE_P(EveryControl, ControlPlace, ::testing::ValuesIn(kControls),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '(');
                             std::erase(name, ')');
                             return name;
                         });

TEST(MainWindowLayout, ClientAreaSizeAndPlace) {
    mainS window(std::filesystem::temp_directory_path());
    EXPECT_EQ(window.geometry(), QRect(67, 75, 794, 532));
    EXPECT_EQ(window.windowTitle(), QString("Tovrel V2.1"));
}

// Settings go to the standard place, here the test mode's stand-in for it.
TEST(MainWindowLayout, SettingsLiveInTheUsersConfiguration) {
    const QString file = QSettings().fileName();
    EXPECT_TRUE(file.endsWith("/tovrel/tovrel.conf")) << file.toStdString();
    EXPECT_TRUE(
        file.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    EXPECT_FALSE(file.startsWith(QDir::homePath() + "/.config/")) << file.toStdString();
}

TEST(MainWindowLayout, IconIsItsOwn32By32) {
    mainS window(std::filesystem::temp_directory_path());
    const QIcon icon = window.windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    const QImage image = icon.pixmap(32, 32).toImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    // Drawn, not blank: at least a few colours.
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GE(colours.size(), 3);
    EXPECT_LE(colours.size(), 256);
}

struct FontRow {
    const char* name;
    const char* family;
    double points;
    bool bold;
};

const FontRow kFonts[] = {
    {"mainS", "SimHei", 9, false},       {"LabXY(0)", "SimHei", 9, false},
    {"LabXY(3)", "SimHei", 9, false},    {"Text1", "SimSun", 9, false},
    {"TextOUT", "SimSun", 9, false},     {"Combo4", "SimSun", 9, false},
    {"Dir1", "SimSun", 9, false},        {"Label2", "SimSun", 9, false},
    {"Op_s", "SimSun", 9, false},        {"Command3", "SimSun", 9, false},
    {"Command1", "SimSun", 10.5, false}, {"Command2", "SimSun", 10.5, false},
    {"Label4", "SimSun", 14.25, true},
};

TEST(MainWindowLayout, FontsAsDesignedWithCjkFallback) {
    mainS window(std::filesystem::temp_directory_path());
    for (const FontRow& row : kFonts) {
        QWidget* control =
            row.name == std::string("mainS") ? &window : window.findChild<QWidget*>(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        const QFont font = control->font();
        ASSERT_FALSE(font.families().isEmpty());
        EXPECT_EQ(font.families().front(), QString(row.family)) << row.name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), row.points) << row.name;
        EXPECT_EQ(font.bold(), row.bold) << row.name;
        // Whatever family the machine resolves it to draws Chinese.
        EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'确'))
            << row.name << " resolves to " << QFontInfo(font).family().toStdString();
    }
    const QColor text = window.Label4->palette().color(QPalette::WindowText);
    EXPECT_EQ(text, QColor(0, 0, 192));
}

class StartState : public WindowTest {};

TEST_F(StartState, ControlsAsTheWindowOpens) {
    writeDataFile(dataDir.path(), {0.254f, 0.5f, 0.3f, 1.0f});
    open();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->Op_s->isChecked());
    EXPECT_FALSE(window->Op_h->isChecked());
    EXPECT_TRUE(window->YBL->isChecked());
    EXPECT_FALSE(window->LB1->isChecked());
    EXPECT_EQ(window->Combo1->count(), 0);
    EXPECT_FALSE(window->Combo1->isEnabled());
    EXPECT_FALSE(window->Combo1->isEditable());
    EXPECT_EQ(window->HScroll1->minimum(), 0);
    EXPECT_EQ(window->HScroll1->maximum(), 1000);
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_EQ(window->HScroll1->orientation(), Qt::Horizontal);
    EXPECT_EQ(window->Command1->text(), QString("确定"));
    EXPECT_EQ(window->Command2->text(), QString("退出"));
    EXPECT_EQ(window->Command3->text(), QString("X"));
    EXPECT_EQ(window->Label2->text(), QString("       像素/英寸"));
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距mm"));
    EXPECT_EQ(window->Combo3->currentIndex(), -1);
    const QStringList pitches{"0.254", "0.5", "0.3", "1"};
    ASSERT_EQ(window->Combo3->count(), pitches.size());
    for (int i = 0; i < pitches.size(); ++i) {
        EXPECT_EQ(window->Combo3->itemText(i), pitches[i]);
    }
    EXPECT_EQ(window->job.ActiveSlot, 1);
    EXPECT_EQ(window->job.Views, 0.0f);
    EXPECT_EQ(window->job.ViewCount, 0);
    for (QLabel* credit : {window->Label4, window->Label5, window->Label1}) {
        EXPECT_FALSE(credit->text().isEmpty()) << credit->objectName().toStdString();
    }
}

TEST_F(StartState, ShippedDataFileFillsThePitchBox) {
    std::filesystem::copy_file(TOVREL_DATA_FILE, dataDir / "kvxj.dll");
    open();
    EXPECT_TRUE(messages.empty());
    const auto entries = entriesOf(readFile(dataDir / "kvxj.dll"));
    ASSERT_FALSE(entries.empty());
    ASSERT_EQ(window->Combo3->count(), static_cast<int>(entries.size()));
    for (int i = 0; i < window->Combo3->count(); ++i) {
        const QString item = window->Combo3->itemText(i);
        EXPECT_EQ(static_cast<float>(item.toDouble()), entries[static_cast<size_t>(i)])
            << item.toStdString();
    }
    EXPECT_EQ(window->Combo3->currentText(), QString("栅距mm"));
}

TEST_F(StartState, DesignTextsAndBoxRules) {
    writeDataFile(dataDir.path(), {});
    open();
    const std::array<QLineEdit*, 4> names{window->Text1, window->Text2, window->Text3,
                                          window->Text4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(names[i]->text(), QString("文件 %1").arg(i + 1));
        EXPECT_TRUE(names[i]->isReadOnly());
        EXPECT_NE(names[i]->focusPolicy() & Qt::TabFocus, 0);
        EXPECT_EQ(window->TextX[i]->text(), QString("X%1").arg(i + 1));
        EXPECT_EQ(window->TextY[i]->text(), QString("Y%1").arg(i + 1));
        EXPECT_EQ(window->TextX[i]->maxLength(), 6);
        EXPECT_EQ(window->TextY[i]->maxLength(), 6);
        EXPECT_FALSE(window->TextX[i]->isReadOnly());
        EXPECT_TRUE(window->Image1[i]->hasScaledContents());
        EXPECT_TRUE(window->Image1[i]->pixmap().isNull());
        EXPECT_TRUE(window->LabXY[i]->text().isEmpty());
    }
    EXPECT_EQ(window->TextOUT->text(), QString("输出文件"));
    EXPECT_FALSE(window->TextOUT->isReadOnly());
    EXPECT_EQ(window->CombK->currentText(), QString("宽cm"));
    EXPECT_EQ(window->CombG->currentText(), QString("高cm"));
    EXPECT_EQ(window->CombK->count(), 0);
    EXPECT_EQ(window->CombG->count(), 0);
    EXPECT_EQ(window->Combo3->count(), 0);
    for (QComboBox* box : {window->CombK, window->CombG, window->Combo3, window->Combo4}) {
        EXPECT_TRUE(box->isEditable()) << box->objectName().toStdString();
    }
    EXPECT_EQ(window->LB1->text(), QString("留白"));
    EXPECT_EQ(window->YBL->text(), QString("按原宽高比例"));
    EXPECT_EQ(window->Op_s->text(), QString("竖变"));
    EXPECT_EQ(window->Op_h->text(), QString("横变"));
    EXPECT_TRUE(window->Frame1->title().isEmpty());
}

TEST_F(StartState, SharpnessListHoldsItsTwentyItems) {
    writeDataFile(dataDir.path(), {});
    open();
    const QStringList expected{"1 倍清晰", "2 倍清晰", "3 倍清晰", "4 倍清晰", "5 倍清晰",
                               "6 倍清晰", "7 倍清晰", "8 倍清晰", "9 倍清晰", "10 倍清晰",
                               "11倍清晰", "12倍清晰", "13倍清晰", "14倍清晰", "15倍清晰",
                               "16倍清晰", "17倍清晰", "18倍清晰", "19倍清晰", "20倍清晰"};
    EXPECT_EQ(window->Combo4->currentText(), QString("清晰倍数"));
    EXPECT_EQ(window->Combo4->currentIndex(), -1);
    ASSERT_EQ(window->Combo4->count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window->Combo4->itemText(i), expected[i]);
        EXPECT_EQ(window->Combo4->itemData(i).toInt(), 0);
    }
}

TEST_F(StartState, PromptTextsReadAsZero) {
    writeDataFile(dataDir.path(), {});
    open();
    const QStringList prompts{window->CombK->currentText(),  window->CombG->currentText(),
                              window->Combo3->currentText(), window->Combo4->currentText(),
                              window->TextX[0]->text(),      window->TextY[3]->text()};
    for (const QString& prompt : prompts) {
        EXPECT_EQ(leadingNumber(prompt.toStdString()), 0.0) << prompt.toStdString();
    }
}

TEST_F(StartState, ProgressBarIgnoresTheUser) {
    writeDataFile(dataDir.path(), {});
    open();
    activate();
    window->HScroll1->setFocus();
    QTest::keyClick(window->HScroll1, Qt::Key_Right);
    QTest::keyClick(window->HScroll1, Qt::Key_End);
    QTest::mouseClick(window->HScroll1, Qt::LeftButton, {}, window->HScroll1->rect().center());
    EXPECT_EQ(window->HScroll1->value(), 0);
    window->HScroll1->setValue(250);
    EXPECT_EQ(window->HScroll1->value(), 250);
}

class FocusOrder : public WindowTest {
  protected:
    // The names that Tab visits, starting at Text1, until it comes back there.
    QStringList tabWalk() {
        activate();
        window->Text1->setFocus(Qt::OtherFocusReason);
        QStringList walked;
        for (int step = 0; step < 60; ++step) {
            QWidget* focused = QApplication::focusWidget();
            if (focused == nullptr || (step > 0 && focused == window->Text1)) {
                break;
            }
            walked << focused->objectName();
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        return walked;
    }
};

// Up to the option group, which Tab enters at its chosen button.
const QStringList kTabOrder{
    "Text1",    "Text2",    "Text3",       "Text4",       "TextX(0)",    "TextY(0)",    "Command1",
    "TextOUT",  "Drive1",   "Dir1",        "File1",       "Command2",    "HScroll1",    "CombK",
    "Combo3",   "Combo4",   "Picture1(0)", "Picture1(1)", "Picture1(2)", "Picture1(3)", "TextX(1)",
    "TextX(2)", "TextX(3)", "TextY(1)",    "TextY(2)",    "TextY(3)",    "LB1",         "CombG",
    "YBL",      "Combo1",   "Command3"};

TEST_F(FocusOrder, TabWalksTheDesignOrder) {
    writeDataFile(dataDir.path(), {});
    open();
    window->Combo1->setEnabled(true);
    EXPECT_EQ(tabWalk(),
              kTabOrder + QStringList({"Op_s", "PrinterRes", "CommandPitchTest", "CommandMore"}));
    QTest::mouseClick(window->PrinterRes, Qt::LeftButton);
    EXPECT_EQ(tabWalk(), kTabOrder + QStringList({"Op_s", "PrinterRes", "ComboRes",
                                                  "CommandPitchTest", "CommandMore"}));
}

TEST_F(FocusOrder, DisabledWhiteGapListIsSkipped) {
    writeDataFile(dataDir.path(), {});
    open();
    QStringList expected =
        kTabOrder + QStringList{"Op_s", "PrinterRes", "CommandPitchTest", "CommandMore"};
    expected.removeAll("Combo1");
    EXPECT_EQ(tabWalk(), expected);
}

TEST_F(FocusOrder, FlipPreviewButtonFollowsThePrinterControlsOnceEnabled) {
    writeDataFile(dataDir.path(), {});
    open();
    window->Combo1->setEnabled(true);
    window->CommandFlip->setEnabled(true);
    EXPECT_EQ(tabWalk(), kTabOrder + QStringList({"Op_s", "PrinterRes", "CommandFlip",
                                                  "CommandPitchTest", "CommandMore"}));
}

TEST_F(FocusOrder, NameBoxesTellWhenTheyTakeTheFocus) {
    writeDataFile(dataDir.path(), {});
    open();
    activate();
    window->Text1->setFocus();
    QSignalSpy second(window->Text2, &NameBox::gotFocus);
    QSignalSpy third(window->Text3, &NameBox::gotFocus);
    QTest::keyClick(window->Text1, Qt::Key_Tab);
    EXPECT_EQ(second.count(), 1);
    QTest::mouseClick(window->Text3, Qt::LeftButton);
    EXPECT_EQ(third.count(), 1);
    EXPECT_EQ(second.count(), 1);
}

TEST_F(FocusOrder, OptionGroupIsEnteredAtTheChosenButton) {
    writeDataFile(dataDir.path(), {});
    open();
    window->Combo1->setEnabled(true);
    QTest::mouseClick(window->Op_h, Qt::LeftButton);
    ASSERT_TRUE(window->Op_h->isChecked());
    EXPECT_EQ(tabWalk(),
              kTabOrder + QStringList({"Op_h", "PrinterRes", "CommandPitchTest", "CommandMore"}));
    // The arrow keys move the choice within the group.
    window->Op_h->setFocus();
    QTest::keyClick(window->Op_h, Qt::Key_Left);
    EXPECT_TRUE(window->Op_s->isChecked());
    EXPECT_FALSE(window->Op_h->isChecked());
}

} // namespace
} // namespace tovrel::test
