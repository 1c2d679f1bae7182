#pragma once
// A window whose pictures are picked by clicks in the file list and whose
// settings are typed key by key, for faults met through the window: what the
// user is told, and proof that the window still works once the fault is gone.

#include "tests/app/pick_fixture.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class QWidget;

namespace tovrel::test {

// Checks made where gtest cannot see them (a forked child), brought back as
// text: empty when every check held.
class Findings {
  public:
    void check(bool held, const std::string& what);
    void check(const ::testing::AssertionResult& result, const std::string& what);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

class WindowFaultTest : public PickTest {
  protected:
    // Two pictures, pic1.bmp and pic2.bmp (40 x 30), listed in the file list.
    void SetUp() override;

    // Clicks pic1.bmp and then pic2.bmp in the file list.
    void chooseBoth();
    // A click into the box, Ctrl+A and the text typed over what it held.
    void typeInto(QWidget* box, const QString& text);
    // Pitch 0.5, sharpness 3, the proportion lock clicked off, the print
    // size and the output name typed.
    void typeSettings(const QString& width, const QString& height);
    void clickStart();
    // Pictures chosen, settings typed and confirmed; the button reads "开始".
    // 2 x 1.5 cm gives 240 x 180 pixels, 20 x 15 cm 2400 x 1800 (more than
    // one chunk of rows).
    void arm(const QString& width = "2", const QString& height = "1.5");
    // The start button pressed until a run has gone through, from either
    // state the button can be in (the pitch typed again where a run left the
    // box's label): no message, a whole 240 x 180 output at output(), no
    // temporary file of a run or the pitch store left.
    ::testing::AssertionResult runsAgain();

    // The window made anew, which loads the data file, with the pictures
    // listed again.
    void reopen();
    // Called first in a forked child: it has none of the threads Qt paints
    // with in its parent and would wait for them for ever, so its windows
    // must not paint.
    void enterChild();

    QString caption() const;
    // Whether the only message since `from` contains every part.
    ::testing::AssertionResult toldOnce(std::size_t from,
                                        const std::vector<std::string>& parts) const;
    std::filesystem::path output() const { return work / "out.tif"; }
    std::filesystem::path dataFile() const { return dataDir / "kvxj.dll"; }
    // Names in the output folder.
    std::vector<std::string> outputFolder() const;

    TempDir work;

  private:
    bool inChild_ = false;
};

// Runs fn in a forked child that must die of SIGKILL inside it; false when it
// ended any other way.
bool killedInside(const std::function<void()>& fn);

} // namespace tovrel::test
