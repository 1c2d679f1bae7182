#include "tests/params/params_window.h"

#include "tests/app/data_file.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tovrel::test {

void ParamsWindowTest::SetUp() {
    writeDataFile(dataDir.path(), {0.254f, 0.508f, 0.3f, 5.0f});
    open();
    activate();
    ASSERT_TRUE(messages.empty());
}

void ParamsWindowTest::choosePictures(uint8_t n) {
    window->job.ViewCount = n;
    window->job.Views = n;
}

void ParamsWindowTest::confirm() {
    window->Command1->setText("开始");
}

QString ParamsWindowTest::caption() const {
    return window->Command1->text();
}

QString ParamsWindowTest::resolutionText() const {
    return window->Label2->text();
}

} // namespace tovrel::test
