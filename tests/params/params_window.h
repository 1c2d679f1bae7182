#pragma once
// A loaded main window for the print-parameter tests: a pitch list with one
// stored pitch beyond the accepted range, the window active, and helpers that
// read its state.

#include "tests/app/window_fixture.h"

#include <QStringList>
#include <cstdint>

class QComboBox;

namespace tovrel::test {

class ParamsWindowTest : public WindowTest {
  protected:
    // Pitch items "0.254", "0.508", "0.3" and "5".
    void SetUp() override;

    // What file selection leaves in the job state for n pictures.
    void choosePictures(uint8_t n);

    // Puts the start button into its confirmed state, as a confirming click
    // would.
    void confirm();
    QString caption() const;
    QString resolutionText() const;
};

} // namespace tovrel::test
