#include "tests/faults/window_fault_fixture.h"

#include "app/main_window.h"
#include "tests/app/typing.h"
#include "tests/faults/run_scene.h"
#include "tests/support/tiff_reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrel::test {

namespace fs = std::filesystem;

void Findings::check(bool held, const std::string& what) {
    if (!held) {
        text_ += what + "\n";
    }
}

void Findings::check(const ::testing::AssertionResult& result, const std::string& what) {
    check(static_cast<bool>(result), what + ": " + result.message());
}

void WindowFaultTest::SetUp() {
    PickTest::SetUp();
    writePicture("pic1.bmp", 40, 30, 2835, Qt::darkCyan);
    writePicture("pic2.bmp", 40, 30, 2835, Qt::darkRed);
    openPictures();
}

void WindowFaultTest::chooseBoth() {
    clickFile("pic1.bmp");
    clickFile("pic2.bmp");
}

void WindowFaultTest::typeInto(QWidget* box, const QString& text) {
    auto* combo = qobject_cast<QComboBox*>(box);
    QWidget* target = combo ? combo->lineEdit() : box;
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    typeText(target, text);
}

void WindowFaultTest::typeSettings(const QString& width, const QString& height) {
    typeInto(window->Combo4, "3");
    typeInto(window->Combo3, "0.5");
    if (window->YBL->isChecked()) {
        QTest::mouseClick(window->YBL, Qt::LeftButton);
    }
    typeInto(window->CombK, width);
    typeInto(window->CombG, height);
    typeInto(window->TextOUT, QString::fromStdString(output().string()));
}

void WindowFaultTest::clickStart() {
    QTest::mouseClick(window->Command1, Qt::LeftButton);
}

void WindowFaultTest::arm(const QString& width, const QString& height) {
    chooseBoth();
    typeSettings(width, height);
    clickStart();
    ASSERT_EQ(caption(), "开始");
    ASSERT_TRUE(messages.empty()) << messages.front().toStdString();
}

::testing::AssertionResult WindowFaultTest::runsAgain() {
    const std::size_t before = messages.size();
    if (caption() == "确定") {
        if (window->Combo3->currentText() != "0.5") {
            typeInto(window->Combo3, "0.5");
        }
        clickStart();
        if (caption() != "开始") {
            return ::testing::AssertionFailure() << "not confirmed";
        }
    }
    clickStart();
    if (messages.size() != before) {
        return ::testing::AssertionFailure() << "told: " << messages.back().toStdString();
    }
    if (caption() != "确定" || window->TextOUT->isReadOnly()) {
        return ::testing::AssertionFailure() << "the run did not end";
    }
    if (auto tiff = readsAsTiff(output(), 240, 180, 304.8f); !tiff) {
        return tiff;
    }
    if (!runTemporariesIn(work.path()).empty() || fs::exists(dataDir / "kvxj.dl~")) {
        return ::testing::AssertionFailure() << "a temporary file was left";
    }
    return ::testing::AssertionSuccess();
}

void WindowFaultTest::reopen() {
    window = std::make_unique<mainS>(dataDir.path());
    window->setUpdatesEnabled(!inChild_);
    window->messageHook = [this](const QString& text) { messages.push_back(text); };
    window->questionHook = [this](const QString&) { return answer; };
    window->show();
    activate();
    openPictures();
}

void WindowFaultTest::enterChild() {
    inChild_ = true;
    window->setUpdatesEnabled(false);
}

QString WindowFaultTest::caption() const {
    return window->Command1->text();
}

::testing::AssertionResult WindowFaultTest::toldOnce(std::size_t from,
                                                     const std::vector<std::string>& parts) const {
    if (messages.size() != from + 1) {
        return ::testing::AssertionFailure() << messages.size() - from << " messages";
    }
    const std::string said = messages.back().toStdString();
    for (const std::string& part : parts) {
        if (said.find(part) == std::string::npos) {
            return ::testing::AssertionFailure() << "\"" << said << "\" lacks \"" << part << "\"";
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> WindowFaultTest::outputFolder() const {
    const std::set<std::string> names = namesIn(work.path());
    return {names.begin(), names.end()};
}

bool killedInside(const std::function<void()>& fn) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        fn();
        _exit(1);
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace tovrel::test
