// An earlier file at the output path that the user may not write, or may not
// replace in a shared folder: the run is refused before it starts, with the
// reason, and the file stays; a file the user may write is replaced. Run as an ordinary user, to
// whom permission bits apply.

#include "tests/faults/run_scene.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const Bytes kEarlier(900, 0x47);

struct EarlierFile {
    const char* name;
    bool usersFile; // the earlier file belongs to the user running
    mode_t fileMode;
    mode_t folderMode; // the folder belongs to the user running
    bool replaced;
};

const EarlierFile kCases[] = {
    {"the user's own read-only file", true, 0444, 0755, false},
    {"another user's file in a shared folder", false, 0644, 01777, false},
    {"another user's file the user may write, in a shared folder", false, 0666, 01777, false},
    {"another user's read-only file in the user's folder", false, 0444, 0755, false},
    {"the user's own writable file", true, 0644, 0755, true},
    {"another user's file in the user's own folder", false, 0644, 0755, false},
    {"another user's writable file in the user's own folder", false, 0666, 0755, true},
};

class UnwritableOutput : public ::testing::TestWithParam<EarlierFile> {};

TEST_P(UnwritableOutput, IsRefusedBeforeTheRunOrReplaced) {
    const EarlierFile& c = GetParam();
    test::TempDir root;
    fs::permissions(root.path(), fs::perms::others_exec, fs::perm_options::add);
    const fs::path folder = root / "folder";
    fs::create_directory(folder);
    JobState job;
    RunSettings settings;
    test::setUpRun(job, settings, folder, {{30, 20}, {30, 24, 0, 2}}, 40, 30);
    for (const auto& entry : fs::directory_iterator(folder)) {
        test::giveToOrdinaryUser(entry.path().string());
        ::chmod(entry.path().c_str(), 0644);
    }
    test::writeFile(job.OutPath, kEarlier);
    if (c.usersFile) {
        test::giveToOrdinaryUser(job.OutPath);
    }
    ::chmod(job.OutPath.c_str(), c.fileMode);
    if (c.folderMode != 01777) {
        test::giveToOrdinaryUser(folder.string());
    }
    ::chmod(folder.c_str(), c.folderMode);

    const auto said = test::runAsOrdinaryUser([&] { return test::runAndSay(job, settings); });
    if (!said) {
        GTEST_SKIP() << "cannot run as an ordinary user here";
    }
    EXPECT_TRUE(test::runTemporariesIn(folder).empty());
    if (c.replaced) {
        EXPECT_EQ(*said, "done");
        const test::TiffContents tiff = test::readTiff(job.OutPath, false);
        EXPECT_TRUE(tiff.opened && tiff.complaints.empty());
        return;
    }
    EXPECT_EQ(said->rfind("refused: ", 0), 0u) << *said;
    EXPECT_NE(said->find("没有访问权限"), std::string::npos) << *said;
    EXPECT_NE(said->find(job.OutPath), std::string::npos) << *said;
    EXPECT_EQ(test::readFile(job.OutPath), kEarlier);
}

INSTANTIATE_TEST_SUITE_P(Run, UnwritableOutput, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EarlierFile>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
} // namespace tovrel
