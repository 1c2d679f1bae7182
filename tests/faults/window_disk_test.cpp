// A run through the window that meets a file-size limit, a full disk, an
// output folder it may not write, or a kill: the message, the earlier output
// kept, no file of the run left, and the window working afterwards.

#include "app/main_window.h"
#include "app/progress_scroll_bar.h"
#include "tests/app/data_file.h"
#include "tests/faults/run_scene.h"
#include "tests/faults/window_fault_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/restricted_run.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

#include <csignal>
#include <optional>
#include <sys/stat.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

const std::vector<unsigned char> kEarlier(3000, 0x5E);

// No message may name a run's hidden file: the user never chose it.
bool namesNoTemporary(const std::vector<QString>& messages) {
    return std::none_of(messages.begin(), messages.end(),
                        [](const QString& m) { return m.contains(".tovrel.tmp"); });
}

class DiskFault : public WindowFaultTest {
  protected:
    // 2400 x 1800 pixels, about 13 MB: more than one chunk of rows.
    void armLarge() { arm("20", "15"); }
    void typeSmallSize() {
        typeInto(window->CombK, "2");
        typeInto(window->CombG, "1.5");
    }
};

struct LimitCase {
    const char* name;
    bool whileRows; // lowered once the first rows are written, not before
    const char* says;
};

class SizeLimit : public DiskFault, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SizeLimit, RunStopsWithAMessageAndTheWindowWorksAfterwards) {
    const LimitCase& c = GetParam();
    armLarge();
    writeFile(output(), kEarlier);
    const std::vector<unsigned char> data = readFile(dataFile());
    const std::size_t before = messages.size();
    {
        std::optional<FileSizeLimit> limit;
        if (!c.whileRows) {
            limit.emplace(1 << 20);
        }
        std::vector<int> progress;
        const QMetaObject::Connection watch =
            QObject::connect(window->HScroll1, &QScrollBar::valueChanged, [&](int value) {
                progress.push_back(value);
                if (c.whileRows && value > 0 && !limit) {
                    limit.emplace(1 << 20);
                }
            });
        clickStart();
        QObject::disconnect(watch);
        if (c.whileRows) {
            // Rows were written, and the run stopped before the last one.
            ASSERT_FALSE(progress.empty());
            EXPECT_GT(progress.front(), 0);
            EXPECT_LT(progress.front(), 1000);
        }
    }
    EXPECT_TRUE(toldOnce(before, {c.says, output().string(), "文件超出了允许的大小"}));
    EXPECT_TRUE(namesNoTemporary(messages));
    if (c.whileRows) {
        // A failed run ends as every run ends; its header had recorded the
        // pitch.
        EXPECT_EQ(caption(), "确定");
        EXPECT_FALSE(window->TextOUT->isReadOnly());
        EXPECT_EQ(window->HScroll1->value(), 0);
        EXPECT_EQ(readFile(dataFile()), dataFileBytes({0.254f, 0.5f}));
    } else {
        // No header: back to confirming, with the output box open for
        // another name, and the data file as it was.
        EXPECT_EQ(caption(), "确定");
        EXPECT_FALSE(window->TextOUT->isReadOnly());
        EXPECT_EQ(readFile(dataFile()), data);
    }
    EXPECT_EQ(readFile(output()), kEarlier);
    EXPECT_EQ(outputFolder(), std::vector<std::string>{"out.tif"});

    typeSmallSize();
    EXPECT_TRUE(runsAgain());
}

INSTANTIATE_TEST_SUITE_P(Moments, SizeLimit,
                         ::testing::Values(LimitCase{"AtTheHeader", false, "无法写入输出文件"},
                                           LimitCase{"WhileRowsAreWritten", true,
                                                     "写入输出文件失败"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The output folder on a small disk of its own (a tmpfs that only a forked
// child sees). The header sets aside the room for the whole file, so a full
// disk stops the run there, before any row is written.
TEST_F(DiskFault, FullDiskKeepsTheRunArmedAndTheEarlierFile) {
    armLarge();
    const std::vector<unsigned char> data = readFile(dataFile());
    const auto findings = runOnSmallDisk(work.path(), 4 << 20, [&] {
        enterChild();
        Findings f;
        writeFile(output(), kEarlier);
        const std::size_t before = messages.size();
        clickStart();
        f.check(toldOnce(before, {"无法写入输出文件", output().string(), "磁盘空间不足"}),
                "full disk");
        f.check(namesNoTemporary(messages), "the message names a temporary file");
        f.check(caption() == "确定" && !window->TextOUT->isReadOnly(), "output box locked");
        f.check(readFile(output()) == kEarlier, "the earlier file changed");
        f.check(outputFolder() == std::vector<std::string>{"out.tif"}, "files left");
        f.check(readFile(dataFile()) == data, "the data file changed");
        typeSmallSize();
        f.check(runsAgain(), "the next run");
        return f.text();
    });
    if (!findings) {
        GTEST_SKIP() << "cannot mount a small disk here (needs root)";
    }
    EXPECT_EQ(*findings, "");
}

// An output folder, or an earlier output in it, that the user may not write.
struct Unwritable {
    const char* name;
    bool folder; // the folder read-only, else the earlier file
    const char* says;
};

class UnwritableOutput : public DiskFault, public ::testing::WithParamInterface<Unwritable> {};

TEST_P(UnwritableOutput, KeepsTheRunArmedAndTheEarlierFile) {
    const Unwritable& c = GetParam();
    arm();
    writeFile(output(), kEarlier);
    for (const fs::path& p : {work.path(), output(), pictures.path(), dataDir.path(), dataFile()}) {
        giveToOrdinaryUser(p.string());
    }
    const fs::path locked = c.folder ? work.path() : output();
    const std::vector<unsigned char> data = readFile(dataFile());
    const auto findings = runAsOrdinaryUser([&] {
        enterChild();
        Findings f;
        ::chmod(locked.c_str(), c.folder ? 0555 : 0444);
        const std::size_t before = messages.size();
        clickStart();
        f.check(toldOnce(before, {c.says, "没有访问权限", locked.string()}), "unwritable");
        f.check(caption() == "确定" && !window->TextOUT->isReadOnly(), "output box locked");
        f.check(readFile(output()) == kEarlier, "the earlier file changed");
        f.check(outputFolder() == std::vector<std::string>{"out.tif"}, "files left");
        f.check(readFile(dataFile()) == data, "the data file changed");
        ::chmod(locked.c_str(), c.folder ? 0755 : 0644);
        f.check(runsAgain(), "the next run");
        return f.text();
    });
    if (!findings) {
        GTEST_SKIP() << "cannot run as an ordinary user here (needs root)";
    }
    EXPECT_EQ(*findings, "");
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnwritableOutput,
                         ::testing::Values(Unwritable{"Folder", true, "无法在输出文件夹中创建文件"},
                                           Unwritable{"EarlierFile", false,
                                                      "无法替换已有的输出文件"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The program killed while a run writes its rows; the next run in the same
// folder removes what it left.
TEST_F(DiskFault, KilledRunLeavesTheEarlierFileAndItsLeftoverGoesWithTheNextRun) {
    armLarge();
    writeFile(output(), kEarlier);
    const bool killed = killedInside([&] {
        enterChild();
        QObject::connect(window->HScroll1, &QScrollBar::valueChanged, [](int value) {
            if (value > 0) {
                std::raise(SIGKILL);
            }
        });
        clickStart();
    });
    ASSERT_TRUE(killed);
    EXPECT_EQ(readFile(output()), kEarlier);
    // The killed run had written its header and recorded its pitch.
    EXPECT_EQ(readFile(dataFile()), dataFileBytes({0.254f, 0.5f}));
    EXPECT_EQ(runTemporariesIn(work.path()).size(), 1u);
    EXPECT_EQ(outputFolder().size(), 2u);

    // This process's window, armed as the killed one was, runs again.
    typeSmallSize();
    EXPECT_TRUE(runsAgain());
    EXPECT_EQ(outputFolder(), std::vector<std::string>{"out.tif"});
}

} // namespace
} // namespace tovrel::test
