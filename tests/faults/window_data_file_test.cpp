// The data file damaged, read-only, on a full disk or with a leftover
// temporary file beside it, met through the window: at start-up, by the
// delete button and by a run.

#include "app/main_window.h"
#include "tests/app/data_file.h"
#include "tests/faults/window_fault_fixture.h"
#include "tests/support/restricted_run.h"
#include "tests/support/tiff_reader.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

enum class Use { Load, Delete, Run };

const char* nameOf(Use use) {
    switch (use) {
    case Use::Load:
        return "Load";
    case Use::Delete:
        return "Delete";
    case Use::Run:
        return "Run";
    }
    return "";
}

class DataFileFault : public WindowFaultTest {
  protected:
    // The first pitch of the list, 0.254, chosen with the arrow keys, then
    // the delete button.
    void deleteListedPitch() {
        QTest::mouseClick(window->Combo3->lineEdit(), Qt::LeftButton);
        if (window->Combo3->currentIndex() < 0) {
            QTest::keyClick(window->Combo3, Qt::Key_Down);
        }
        while (window->Combo3->currentIndex() > 0) {
            QTest::keyClick(window->Combo3, Qt::Key_Up);
        }
        ASSERT_EQ(window->Combo3->currentText(), "0.254");
        QTest::mouseClick(window->Command3, Qt::LeftButton);
    }
    // The data file is the shipped template followed by these entries.
    bool dataHolds(const std::vector<float>& entries) const {
        return readFile(dataFile()) == dataFileBytes(entries);
    }
};

// A data file shorter than its template, found when the pitch is deleted or
// a run needs the template.
class DamagedDataFile : public DataFileFault, public ::testing::WithParamInterface<Use> {};

TEST_P(DamagedDataFile, IsReportedLeftAloneAndTheWindowWorksOnceReplaced) {
    const Use use = GetParam();
    if (use == Use::Run) {
        arm();
    }
    const std::vector<unsigned char> damaged(1000, 0x2A);
    writeFile(dataFile(), damaged);
    const std::size_t before = messages.size();
    if (use == Use::Delete) {
        deleteListedPitch();
    } else {
        clickStart();
    }
    EXPECT_TRUE(toldOnce(before, {dataFile().string(), "已损坏", "1000 字节"}));
    EXPECT_EQ(readFile(dataFile()), damaged);
    EXPECT_FALSE(fs::exists(dataDir / "kvxj.dl~"));
    if (use == Use::Delete) {
        EXPECT_EQ(itemsOf(window->Combo3), QStringList{"0.254"});
    } else {
        // The run cannot start without the template: nothing is written,
        // and the button goes back to confirming.
        EXPECT_EQ(caption(), "确定");
        EXPECT_FALSE(window->TextOUT->isReadOnly());
        EXPECT_TRUE(outputFolder().empty());
    }

    writeDataFile(dataDir.path(), {0.254f});
    if (use == Use::Delete) {
        deleteListedPitch();
        EXPECT_EQ(messages.size(), before + 1);
        EXPECT_TRUE(dataHolds({}));
        EXPECT_TRUE(itemsOf(window->Combo3).isEmpty());
    } else {
        EXPECT_TRUE(runsAgain());
        EXPECT_TRUE(dataHolds({0.254f, 0.5f}));
    }
}

INSTANTIATE_TEST_SUITE_P(Uses, DamagedDataFile, ::testing::Values(Use::Delete, Use::Run),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// A data file and folder the user may read but not write. The checks run in
// a child without root's rights, which owns the files, so that it can give
// itself the right back.
class ReadOnlyDataFile : public DataFileFault, public ::testing::WithParamInterface<Use> {
  protected:
    void SetUp() override {
        DataFileFault::SetUp();
        for (const fs::path& p : {dataDir.path(), dataFile(), pictures.path(), work.path()}) {
            giveToOrdinaryUser(p.string());
        }
    }
    static void setModes(const fs::path& file, mode_t fileMode, mode_t folderMode) {
        ::chmod(file.c_str(), fileMode);
        ::chmod(file.parent_path().c_str(), folderMode);
    }
};

TEST_P(ReadOnlyDataFile, IsReadButNeverChangedAndTheWindowWorksOnceWritable) {
    const Use use = GetParam();
    if (use == Use::Run) {
        arm();
    }
    const std::vector<unsigned char> data = readFile(dataFile());
    const auto findings = runAsOrdinaryUser([&] {
        enterChild();
        Findings f;
        setModes(dataFile(), 0444, 0555);
        const std::size_t before = messages.size();
        switch (use) {
        case Use::Load:
            reopen();
            f.check(messages.size() == before, "a message at start-up");
            f.check(itemsOf(window->Combo3) == QStringList{"0.254"}, "the list not loaded");
            f.check(window->Combo3->currentText() == "栅距mm", "no label after the load");
            break;
        case Use::Delete:
            deleteListedPitch();
            f.check(toldOnce(before, {dataFile().string(), "没有访问权限"}), "delete");
            f.check(itemsOf(window->Combo3) == QStringList{"0.254"}, "the list changed");
            break;
        case Use::Run:
            clickStart();
            f.check(toldOnce(before, {dataFile().string(), "没有访问权限",
                                      "本次的栅距没有记入栅距列表，输出文件照常生成。"}),
                    "run");
            f.check(readsAsTiff(output(), 240, 180, 304.8f), "no output");
            f.check(caption() == "确定" && !window->TextOUT->isReadOnly(), "the run did not end");
            break;
        }
        f.check(readFile(dataFile()) == data, "the data file changed");
        f.check(!fs::exists(dataDir / "kvxj.dl~"), "a temporary file beside the data file");

        // The right given back, the same operation goes through.
        setModes(dataFile(), 0644, 0755);
        const std::size_t after = messages.size();
        switch (use) {
        case Use::Load:
            reopen();
            deleteListedPitch();
            f.check(dataHolds({}), "the deletion after the load did not happen");
            break;
        case Use::Delete:
            deleteListedPitch();
            f.check(dataHolds({}), "the deletion did not happen");
            break;
        case Use::Run:
            f.check(runsAgain(), "the next run");
            f.check(dataHolds({0.254f, 0.5f}), "the pitch was not recorded");
            break;
        }
        f.check(messages.size() == after, "a message once writable");
        return f.text();
    });
    if (!findings) {
        GTEST_SKIP() << "cannot run as an ordinary user here (needs root)";
    }
    EXPECT_EQ(*findings, "");
}

INSTANTIATE_TEST_SUITE_P(Uses, ReadOnlyDataFile,
                         ::testing::Values(Use::Load, Use::Delete, Use::Run),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// Fills the disk that holds file with it, up to the last block.
void fillDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::vector<char> block(4096, 0);
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

// The data file's disk full when a deletion rewrites it (a small disk of its
// own that only a forked child sees): the data file is never touched.
TEST_F(DataFileFault, FullDiskAtDeletionKeepsTheList) {
    const std::vector<unsigned char> data = dataFileBytes({0.254f, 0.5f});
    const auto findings = runOnSmallDisk(dataDir.path(), 64 << 10, [&] {
        enterChild();
        Findings f;
        writeFile(dataFile(), data);
        reopen();
        const fs::path filler = dataDir / "filler";
        fillDisk(filler);
        const std::size_t before = messages.size();
        deleteListedPitch();
        f.check(toldOnce(before, {"kvxj.dl~", "磁盘空间不足", dataFile().string(), "没有改变"}),
                "full disk");
        f.check(readFile(dataFile()) == data, "the data file changed");
        f.check(!fs::exists(dataDir / "kvxj.dl~"), "the temporary file was left");
        f.check(itemsOf(window->Combo3) == (QStringList{"0.254", "0.5"}), "the list changed");

        fs::remove(filler);
        deleteListedPitch();
        f.check(messages.size() == before + 1, "a message once there is room");
        f.check(dataHolds({0.5f}), "the deletion did not happen");
        f.check(itemsOf(window->Combo3) == QStringList{"0.5"}, "the list was not reloaded");
        return f.text();
    });
    if (!findings) {
        GTEST_SKIP() << "cannot mount a small disk here (needs root)";
    }
    EXPECT_EQ(*findings, "");
}

// What a killed deletion may leave at "kvxj.dl~".
struct Leftover {
    const char* name;
    std::function<void(const fs::path& at, const fs::path& elsewhere)> place;
};

class LeftoverTemporary : public DataFileFault, public ::testing::WithParamInterface<Leftover> {
  protected:
    void place() { GetParam().place(dataDir / "kvxj.dl~", work / "victim"); }
};

TEST_P(LeftoverTemporary, ChangesNothingAndIsGoneAfterTheNextDeletion) {
    const std::vector<unsigned char> victim{'v', 'i', 'c', 't', 'i', 'm'};
    writeFile(work / "victim", victim);
    place();
    const std::vector<unsigned char> data = readFile(dataFile());
    const std::size_t before = messages.size();
    reopen();
    EXPECT_EQ(messages.size(), before);
    EXPECT_EQ(itemsOf(window->Combo3), QStringList{"0.254"});
    EXPECT_EQ(readFile(dataFile()), data);

    // Another one appears while the window is open.
    if (!fs::exists(fs::symlink_status(dataDir / "kvxj.dl~"))) {
        place();
    }
    deleteListedPitch();
    EXPECT_EQ(messages.size(), before);
    EXPECT_TRUE(dataHolds({}));
    EXPECT_TRUE(itemsOf(window->Combo3).isEmpty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(dataDir / "kvxj.dl~")));
    EXPECT_EQ(readFile(work / "victim"), victim);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LeftoverTemporary,
    ::testing::Values(Leftover{"PartOfAList",
                               [](const fs::path& at, const fs::path&) {
                                   writeFile(at, std::vector<unsigned char>(700, 0x11));
                               }},
                      Leftover{"WholeList",
                               [](const fs::path& at, const fs::path&) {
                                   writeFile(at, dataFileBytes({0.1f, 0.2f}));
                               }},
                      Leftover{"LinkToAnotherFile",
                               [](const fs::path& at, const fs::path& elsewhere) {
                                   fs::create_symlink(elsewhere, at);
                               }},
                      Leftover{"EmptyFolder", [](const fs::path& at,
                                                 const fs::path&) { fs::create_directory(at); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Only the temporary file is there, as when a deletion was killed between
// removing the data file and renaming: it may hold the only copy of the list,
// so nothing removes it until a data file is back.
TEST_F(DataFileFault, LeftoverWithoutDataFileIsKept) {
    const std::vector<unsigned char> only = dataFileBytes({0.254f, 0.5f});
    fs::remove(dataFile());
    writeFile(dataDir / "kvxj.dl~", only);
    const std::size_t before = messages.size();
    reopen();
    EXPECT_TRUE(toldOnce(before, {"kvxj.dll 没有找到。"}));
    QTest::mouseClick(window->Command3, Qt::LeftButton);
    EXPECT_TRUE(toldOnce(before + 1, {"kvxj.dll 没有找到。"}));
    EXPECT_EQ(readFile(dataDir / "kvxj.dl~"), only);
    EXPECT_FALSE(fs::exists(dataFile()));

    // The user puts the list back under its name: it loads, and a deletion
    // works.
    fs::rename(dataDir / "kvxj.dl~", dataFile());
    reopen();
    EXPECT_EQ(messages.size(), before + 2);
    EXPECT_EQ(itemsOf(window->Combo3), (QStringList{"0.254", "0.5"}));
    deleteListedPitch();
    EXPECT_TRUE(dataHolds({0.5f}));
    EXPECT_EQ(messages.size(), before + 2);
}

} // namespace
} // namespace tovrel::test
