#pragma once
// A main window over a temporary data folder, its messages captured.

#include "app/main_window.h"
#include "tests/support/temp_dir.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QComboBox;

namespace tovrel {
class ColourDialog;
}

namespace tovrel::test {

class WindowTest : public ::testing::Test {
  protected:
    // Starts and leaves no user settings for the next test.
    WindowTest();
    ~WindowTest() override;
    // Creates the window, captures its messages and shows it, which loads it.
    void open();
    // Makes the window the active one so that it takes keyboard focus.
    void activate();
    // The colour dialog, opened from "更多…"; null when it did not open.
    ColourDialog* openColourDialog();
    // Gives the window an output profile through its colour dialog, opened
    // from "更多…".
    void chooseOutputProfile(const std::string& profile);

    TempDir dataDir;
    std::vector<QString> messages;
    // The questions asked, each answered with `answer`.
    std::vector<QString> questions;
    bool answer = true;
    std::unique_ptr<mainS> window;
};

// The items of a combo box's list, in order.
QStringList itemsOf(const QComboBox* box);

} // namespace tovrel::test
