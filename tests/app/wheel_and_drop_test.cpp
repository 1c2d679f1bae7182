// Input from the mouse that the window must not mistake: the wheel over a box
// without the focus, and picture files dropped from a file manager.

#include "app/main_window.h"
#include "app/name_box.h"
#include "app/progress_scroll_bar.h"
#include "tests/app/pick_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest/QTest>
#include <fstream>
#include <functional>

namespace tovrel::test {
namespace {

// Where the centre of a control lies in its window's own coordinates.
QPoint centreInWindow(const QWidget* control) {
    return control->mapTo(control->window(), control->rect().center());
}

// One notch of the wheel turned towards the user over the control (near its
// right end, over a combo box's arrow), delivered as the platform delivers it:
// to the window, which passes it to the widget under the pointer and on to
// its parents.
void wheelOver(QWidget* control) {
    const QPoint at =
        control->mapTo(control->window(), QPoint(control->width() - 4, control->height() / 2));
    QWheelEvent wheel(at, control->window()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);

    QApplication::sendEvent(control->window()->windowHandle(), &wheel);
}

struct WheelCase {
    const char* name;
    std::function<QWidget*(mainS&)> control;
    std::function<QString(mainS&)> value;
    bool turnsWhenFocused; // whether the wheel changes it once it has the focus
};

class WheelOverBox : public PickTest, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(WheelOverBox, ScrollsNothingWithoutTheFocus) {
    const WheelCase& c = GetParam();
    window->Combo4->setCurrentIndex(3); // "4 倍清晰": the white-gap list has three items
    QTest::mouseClick(window->LB1, Qt::LeftButton);
    QWidget* control = c.control(*window);
    QTest::mouseClick(window->TextOUT, Qt::LeftButton);
    const QString before = c.value(*window);
    window->Command1->setText("开始");

    wheelOver(control);
    EXPECT_EQ(c.value(*window), before);
    EXPECT_TRUE(window->TextOUT->hasFocus()) << "the wheel took the focus";
    EXPECT_EQ(window->Command1->text(), "开始");

    control->setFocus();
    wheelOver(control);
    EXPECT_EQ(c.value(*window) != before, c.turnsWhenFocused) << c.value(*window).toStdString();
}

QString textOf(QComboBox* box) {
    return box->currentText();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, WheelOverBox,
    ::testing::Values(
        WheelCase{"Sharpness", [](mainS& w) { return w.Combo4; },
                  [](mainS& w) { return textOf(w.Combo4); }, true},
        WheelCase{"Pitch", [](mainS& w) { return w.Combo3; },
                  [](mainS& w) { return textOf(w.Combo3); }, true},
        WheelCase{"WhiteGapList", [](mainS& w) { return w.Combo1; },
                  [](mainS& w) { return textOf(w.Combo1); }, true},
        WheelCase{"Width", [](mainS& w) { return w.CombK; },
                  [](mainS& w) { return textOf(w.CombK); }, false},
        WheelCase{"Height", [](mainS& w) { return w.CombG; },
                  [](mainS& w) { return textOf(w.CombG); }, false},
        WheelCase{"WhiteGapSwitch", [](mainS& w) { return w.LB1; },
                  [](mainS& w) { return QString::number(w.LB1->isChecked()); }, false},
        WheelCase{"ProportionLock", [](mainS& w) { return w.YBL; },
                  [](mainS& w) { return QString::number(w.YBL->isChecked()); }, false},
        WheelCase{"ProgressBar", [](mainS& w) { return w.HScroll1; },
                  [](mainS& w) { return QString::number(w.HScroll1->value()); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Files dragged from a file manager and dropped over a control of the window.
void dropFiles(QWidget* over, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    data.setUrls(urls);
    data.setText(files.join('\n')); // file managers offer the paths as text too
    QWindow* window = over->window()->windowHandle();
    const QPointF at = centreInWindow(over);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

struct DropCase {
    const char* name;
    int picked;        // pictures picked in the file list first
    int activeSlot;    // the name box clicked before the drop (0: none)
    QStringList files; // dropped, from the pictures folder
    std::function<QWidget*(mainS&)> over;
    QStringList names; // the name boxes afterwards
    int messageCount;  // files refused, each with its message
};

class DroppedPictures : public PickTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DroppedPictures, FillTheSlotsAsIfPickedOneByOne) {
    const DropCase& c = GetParam();
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) {
        writePicture(name, 40, 30);
    }
    std::ofstream(pictures / "note.bmp") << "not a picture";
    std::filesystem::create_directory(pictures / "folder");
    openPictures();
    for (int i = 0; i < c.picked; ++i) {
        clickFile(QString("%1.bmp").arg(QChar('a' + i)));
    }
    if (c.activeSlot > 0) {
        clickNameBox(c.activeSlot);
    }
    const QString output = window->TextOUT->text();
    QStringList files;
    for (const QString& file : c.files) {
        files << path(pictures / file.toStdString());
    }
    dropFiles(c.over(*window), files);

    const QStringList names{window->Text1->text(), window->Text2->text(), window->Text3->text(),
                            window->Text4->text()};
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(messages.size(), std::size_t(c.messageCount));
    int filled = 0;
    while (filled < 4 && !c.names[filled].isEmpty() && !c.names[filled].startsWith("文件")) {
        ++filled;
    }
    EXPECT_EQ(window->job.ViewCount, filled);
    for (int k = 1; k <= filled; ++k) {
        EXPECT_EQ(window->job.InPath(k),
                  (pictures / (c.names[k - 1] + ".bmp").toStdString()).string());
    }
    if (c.picked > 0 || c.activeSlot > 1) {
        EXPECT_EQ(window->TextOUT->text(), output); // nothing typed into the box dropped on
    }
}

QWidget* overPreview(mainS& w) {
    return w.Picture1[0];
}
QWidget* overOutputBox(mainS& w) {
    return w.TextOUT;
}

INSTANTIATE_TEST_SUITE_P(Drops, DroppedPictures,
                         ::testing::Values(DropCase{"ThreeOntoAnEmptyWindow",
                                                    0,
                                                    0,
                                                    {"c.bmp", "a.bmp", "b.bmp"},
                                                    overPreview,
                                                    {"c", "a", "b", ""},
                                                    0},
                                           DropCase{"ThreeFromTheActiveSlotOverTheOutputBox",
                                                    1,
                                                    2,
                                                    {"b.bmp", "c.bmp", "d.bmp"},
                                                    overOutputBox,
                                                    {"a", "b", "c", "d"},
                                                    0},
                                           DropCase{"BeyondTheFourthReplacesIt",
                                                    2,
                                                    3,
                                                    {"c.bmp", "d.bmp", "a.bmp"},
                                                    overPreview,
                                                    {"a", "b", "c", "a"},
                                                    0},
                                           DropCase{"RefusedFileAndFolderAreSkipped",
                                                    0,
                                                    0,
                                                    {"a.bmp", "note.bmp", "folder", "b.bmp"},
                                                    overPreview,
                                                    {"a", "b", "", ""},
                                                    2},
                                           DropCase{"SlotAfterAGapTakesNothing",
                                                    0,
                                                    3,
                                                    {"a.bmp"},
                                                    overPreview,
                                                    {"文件 1", "文件 2", "文件 3", "文件 4"},
                                                    0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
