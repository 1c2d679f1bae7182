// The temporary files of runs: a run that makes its own removes what killed
// runs left in its folder, and nothing else: no file another run is still writing, no
// link, folder or pipe, no file of a name that is not a run's.

#include "output/temp_output.h"
#include "tests/faults/run_scene.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const Bytes kJunk(3000, 0x6B);
constexpr const char* kLeftName = ".out.tif.0123456789abcdef.tovrel.tmp";

struct Entry {
    std::string name;
    std::function<void(const fs::path& at, const fs::path& elsewhere)> make;
    bool removed;
};

void junkFile(const fs::path& at, const fs::path&) {
    test::writeFile(at, kJunk);
}

std::vector<Entry> entries() {
    return {
        {kLeftName, junkFile, true},
        {".other picture.tif.fedcba9876543210.tovrel.tmp", junkFile, true},
        {".x.0000000000000000.tovrel.tmp",
         [](const fs::path& at, const fs::path&) { test::writeFile(at, {}); }, true},
        {".out.tif.0123456789ABCDEF.tovrel.tmp", junkFile, false},
        {".out.tif.0123456789abcde.tovrel.tmp", junkFile, false},
        {".out.tif.0123456789abcdefa.tovrel.tmp", junkFile, false},
        {".out.tif-0123456789abcdef.tovrel.tmp", junkFile, false},
        {"out.tif.0123456789abcdef.tovrel.tmp", junkFile, false},
        {".out.tif.0123456789abcdef.tmp", junkFile, false},
        {".out.tif.0123456789abcdef.tovrel.tmp~", junkFile, false},
        {"..0123456789abcdef.tovrel.tmp", junkFile, false},
        {".link.tif.1111111111111111.tovrel.tmp",
         [](const fs::path& at, const fs::path& e) {
             test::writeFile(e / "target", kJunk);
             fs::create_symlink(e / "target", at);
         },
         false},
        {".dir.tif.2222222222222222.tovrel.tmp",
         [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, false},
        {".pipe.tif.3333333333333333.tovrel.tmp",
         [](const fs::path& at, const fs::path&) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
         false},
    };
}

struct RunFolder : ::testing::Test {
    test::TempDir dir;
    JobState job;
    RunSettings settings;

    void SetUp() override {
        test::setUpRun(job, settings, dir.path(), {{40, 30}, {36, 32, 1, 1}}, 60, 40);
    }
};

TEST_F(RunFolder, ARunRemovesOnlyUnlockedFilesOfTheRunsForm) {
    test::TempDir elsewhere;
    std::set<std::string> kept;
    for (const Entry& e : entries()) {
        e.make(dir / e.name, elsewhere.path());
        if (!e.removed) {
            kept.insert(e.name);
        }
    }
    // A file of the form that a running run holds locked.
    const std::string busy = ".busy.tif.4444444444444444.tovrel.tmp";
    test::writeFile(dir / busy, kJunk);
    const int held = ::open((dir / busy).c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    kept.insert(busy);

    const std::set<std::string> before = test::namesIn(dir.path());
    // A run refused before it makes its file removes nothing.
    JobState unconfirmed = job;
    unconfirmed.Pitch = 0;
    EXPECT_EQ(test::runAndSay(unconfirmed, settings).rfind("refused: ", 0), 0u);
    EXPECT_EQ(test::namesIn(dir.path()), before);

    // One that makes its file removes the leftovers first, though it fails
    // later: a leftover of a large run may hold the room the run needs.
    std::set<std::string> expected = kept;
    expected.insert({"pic1.bmp", "pic2.bmp"});
    fs::resize_file(job.InPath(2), 100);
    EXPECT_EQ(test::runAndSay(job, settings).rfind("failed: ", 0), 0u);
    EXPECT_EQ(test::namesIn(dir.path()), expected);

    // And so does a run that succeeds.
    for (const Entry& e : entries()) {
        if (e.removed) {
            e.make(dir / e.name, elsewhere.path());
        }
    }
    test::setUpRun(job, settings, dir.path(), {{40, 30}, {36, 32, 1, 1}}, 60, 40);
    ASSERT_EQ(test::runAndSay(job, settings), "done");
    ::close(held);

    expected.insert("out.tif");
    EXPECT_EQ(test::namesIn(dir.path()), expected);
    EXPECT_EQ(test::readFile(dir / busy), kJunk);
    EXPECT_EQ(test::readFile(elsewhere / "target"), kJunk);
}

TEST_F(RunFolder, ARunFinishingWhileAnotherWritesLeavesTheOthersFile) {
    JobState second = job;
    second.OutPath = (dir / "second.tif").string();
    std::set<std::string> whileInner;
    bool ran = false;
    RunHooks hooks;
    hooks.makeTif = test::writeTestHeader;
    hooks.progress = [&](int) {
        if (ran) {
            return;
        }
        ran = true;
        // The outer run is between its header and its last row: a whole
        // run into the same folder starts and succeeds meanwhile.
        EXPECT_EQ(test::runAndSay(second, settings), "done");
        whileInner = test::runTemporariesIn(dir.path());
    };
    const RunResult outer = runInterlace(job, settings, hooks);
    ASSERT_TRUE(ran);
    EXPECT_EQ(whileInner.size(), 1u) << "the outer run's file must survive the inner cleanup";
    ASSERT_EQ(outer.outcome, RunOutcome::Done) << outer.status.message();
    EXPECT_TRUE(test::runTemporariesIn(dir.path()).empty());
    for (const char* name : {"out.tif", "second.tif"}) {
        const test::TiffContents tiff = test::readTiff(dir / name, true);
        EXPECT_TRUE(tiff.opened && tiff.complaints.empty()) << name;
        EXPECT_EQ(tiff.width, 60u);
        EXPECT_EQ(tiff.height, 40u);
    }
    EXPECT_EQ(test::readFile(dir / "out.tif"), test::readFile(dir / "second.tif"));
}

// Forks a child that waits for `go`, runs, and exits 0 when the run is done.
pid_t forkRun(JobState job, const RunSettings& settings, int go) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        char c = 0;
        const bool started = read(go, &c, 1) == 1;
        _exit(started && test::runAndSay(job, settings) == "done" ? 0 : 1);
    }
    return pid;
}

TEST_F(RunFolder, TwoRunsAtOnceIntoOneFolderBothSucceed) {
    test::setUpRun(job, settings, dir.path(), {{400, 300}, {380, 320, 3, 7}, {390, 300}}, 1500,
                   1000);
    for (const bool sameOutput : {false, true}) {
        SCOPED_TRACE(sameOutput ? "same output" : "two outputs");
        JobState other = job;
        if (!sameOutput) {
            other.OutPath = (dir / "other.tif").string();
        }
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        const pid_t a = forkRun(job, settings, go[0]);
        const pid_t b = forkRun(other, settings, go[0]);
        close(go[0]);
        ASSERT_EQ(write(go[1], "ab", 2), 2);
        close(go[1]);
        for (const pid_t pid : {a, b}) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a run failed";
        }
        EXPECT_TRUE(test::runTemporariesIn(dir.path()).empty());
        const test::TiffContents tiff = test::readTiff(other.OutPath, false);
        EXPECT_TRUE(tiff.opened && tiff.complaints.empty());
        EXPECT_EQ(test::readFile(job.OutPath), test::readFile(other.OutPath));
    }
}

} // namespace
} // namespace tovrel
