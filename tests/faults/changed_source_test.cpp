// A source picture changed between choosing it and the run: the run reads the
// rows of the picture it opened with the geometry chosen, so any change of
// that geometry fails the run with a clear message, the earlier output kept
// and nothing left behind; a picture replaced by one of the same layout is
// read as it is now.

#include "tests/faults/run_scene.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using test::TestPicture;

const Bytes kEarlier(700, 0x21);
const TestPicture kSecond{36, 32, 1, 1};

struct Change {
    const char* name;
    std::function<void(const fs::path& picture)> make;
    const char* says; // empty: the run goes through
};

void setByte(const fs::path& file, std::size_t at, unsigned char value) {
    Bytes bytes = test::readFile(file);
    bytes.at(at) = value;
    test::writeFile(file, bytes);
}

const Change kChanges[] = {
    {"a larger picture",
     [](const fs::path& p) {
         test::writePicture(p, 2, {80, 70});
     },
     "第 2 张图片已改变"},
    {"a smaller picture",
     [](const fs::path& p) {
         test::writePicture(p, 2, {36, 20});
     },
     "第 2 张图片已改变"},
    {"a wider picture of the same height",
     [](const fs::path& p) {
         test::writePicture(p, 2, {37, 32});
     },
     "第 2 张图片已改变"},
    {"the same size with the pixels further on",
     [](const fs::path& p) {
         test::writePicture(p, 2, {36, 32, 0, 0, true, 90});
     },
     "第 2 张图片已改变"},
    {"32 bits a pixel", [](const fs::path& p) { setByte(p, 28, 32); }, "第 2 张图片已改变"},
    {"compressed", [](const fs::path& p) { setByte(p, 30, 1); }, "第 2 张图片已改变"},
    {"not a picture at all",
     [](const fs::path& p) { test::writeFile(p, Bytes(fs::file_size(p), 'x')); },
     "第 2 张图片已改变"},
    {"a file shorter than a header", [](const fs::path& p) { test::writeFile(p, Bytes(30, 'B')); },
     "第 2 张图片的文件比选择时短"},
    {"a folder",
     [](const fs::path& p) {
         fs::remove(p);
         fs::create_directory(p);
     },
     "第 2 张图片"},
    {"another picture of the same layout",
     [](const fs::path& p) { test::writePicture(p, 3, kSecond); }, ""},
};

class ChangedSource : public ::testing::TestWithParam<Change> {};

TEST_P(ChangedSource, FailsClearlyOrReadsTheNewPicture) {
    test::TempDir dir;
    JobState job;
    RunSettings settings;
    test::setUpRun(job, settings, dir.path(), {{40, 30}, kSecond}, 50, 35);
    test::writeFile(job.OutPath, kEarlier);

    GetParam().make(job.InPath(2));
    const std::string said = test::runAndSay(job, settings);
    EXPECT_TRUE(test::runTemporariesIn(dir.path()).empty());
    if (*GetParam().says == '\0') {
        ASSERT_EQ(said, "done");
        // The same file as a run on the pictures chosen afresh.
        JobState fresh;
        RunSettings freshSettings;
        test::TempDir again;
        test::setUpRun(fresh, freshSettings, again.path(), {{40, 30}, kSecond}, 50, 35);
        test::writePicture(fresh.InPath(2), 3, kSecond);
        ASSERT_EQ(test::runAndSay(fresh, freshSettings), "done");
        EXPECT_EQ(test::readFile(job.OutPath), test::readFile(fresh.OutPath));
        return;
    }
    EXPECT_EQ(said.rfind("failed: ", 0), 0u) << said;
    EXPECT_NE(said.find(GetParam().says), std::string::npos) << said;
    EXPECT_NE(said.find(job.InPath(2)), std::string::npos) << said;
    EXPECT_EQ(test::readFile(job.OutPath), kEarlier);
}

INSTANTIATE_TEST_SUITE_P(Run, ChangedSource, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
} // namespace tovrel
