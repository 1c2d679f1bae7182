// A disk that fills up during a run: the run fails with a message naming the
// problem and the file, removes its file, keeps an earlier output, and the
// next run that fits succeeds and leaves nothing behind.

#include "output/temp_output.h"
#include "tests/faults/run_scene.h"
#include "tests/params/data_file_maker.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/run_generator.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"
#include "tiff/tiff_header.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const Bytes kEarlier(4000, 0x5E);
constexpr std::size_t kDisk = 12 * 1024 * 1024; // more than one chunk of rows

// A header hook that makes the file full length without setting room aside,
// as file systems that copy on write or compress leave it: the disk fills
// while the rows are written.
bool sparseHeader(JobState& job, const fs::path& file, TiffForm) {
    const int fd = ::open(file.c_str(), O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const Bytes header(1448, 0);
    const off_t length = 1448 + off_t{job.RowBytes} * job.tifH + 1;
    const bool made = ::ftruncate(fd, length) == 0 &&
                      ::pwrite(fd, header.data(), header.size(), 0) == ssize_t(header.size());
    return ::close(fd) == 0 && made;
}

// What a run on the small disk said, where it got, and what it left.
std::string runOnFullDisk(const fs::path& folder, bool sparse, bool bigTiff) {
    JobState job;
    RunSettings settings;
    test::setUpRun(job, settings, folder, {{100, 80}, {96, 84, 2, 2}}, 3000, 1500);
    settings.bigTiff = bigTiff;
    test::writeFile(job.OutPath, kEarlier);
    int lastProgress = -1;
    std::string headerMessage;
    RunHooks hooks;
    hooks.makeTif = sparseHeader;
    if (!sparse) {
        hooks.makeTif = [&headerMessage](JobState& j, const fs::path& file, TiffForm form) {
            const Status written = writeTiffHeader(file, test::shippedTemplate(), j.tifW, j.tifH,
                                                   j.fbl, j.OutPath, form == TiffForm::Big);
            headerMessage = written.message();
            return written.isOk();
        };
    }
    hooks.progress = [&](int value) { lastProgress = value; };
    const RunResult result = runInterlace(job, settings, hooks);
    std::string report = result.outcome == RunOutcome::Failed             ? "failed"
                         : result.outcome == RunOutcome::HeaderNotWritten ? "no header"
                                                                          : "other";
    report += "|progress " + std::to_string(lastProgress);
    report += test::readFile(job.OutPath) == kEarlier ? "|earlier kept" : "|earlier lost";
    report += test::runTemporariesIn(folder).empty() ? "|clean" : "|left a file";
    // A run that fits goes through afterwards.
    test::setUpRun(job, settings, folder, {{100, 80}, {96, 84, 2, 2}}, 200, 150);
    report += "|next " + test::runAndSay(job, settings);
    report += test::runTemporariesIn(folder).empty() ? "|clean" : "|left a file";
    return report + "|" + result.status.message() + headerMessage;
}

TEST(FullDiskRun, FailsClearlyKeepsTheEarlierFileAndTheNextRunWorks) {
    test::TempDir dir;
    const struct {
        const char* name;
        bool sparse;
        bool bigTiff;
    } cases[] = {{"room set aside with the header", false, false},
                 {"room set aside with a BigTIFF header", false, true},
                 {"room not set aside", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto report = test::runOnSmallDisk(
            dir.path(), kDisk, [&] { return runOnFullDisk(dir.path(), c.sparse, c.bigTiff); });
        if (!report) {
            GTEST_SKIP() << "cannot mount a small disk here";
        }
        if (!c.sparse) {
            // The header's writer finds no room and says so itself, with what
            // the file needs and what the user can change.
            EXPECT_EQ(report->rfind("no header|progress -1|earlier kept|clean|next done|clean|", 0),
                      0u)
                << *report;
            EXPECT_NE(report->find("磁盘空间不足。这个文件需要 13."), std::string::npos) << *report;
            EXPECT_NE(report->find("请腾出磁盘空间"), std::string::npos) << *report;
            continue;
        }
        EXPECT_EQ(report->rfind("failed|progress ", 0), 0u) << *report;
        EXPECT_EQ(report->find("progress -1"), std::string::npos) << "failed before any row";
        EXPECT_NE(report->find("|earlier kept|clean|next done|clean|"), std::string::npos)
            << *report;
        EXPECT_NE(report->find("磁盘空间不足"), std::string::npos) << *report;
        EXPECT_NE(report->find((dir / "out.tif").string()), std::string::npos) << *report;
    }
}

// Files stop growing in the middle of the rows, as a disk stops taking them:
// on a disk the writer writes directly and meets a short write whose rest is
// refused, or a short write that leaves an unaligned rest; in memory it
// writes through the page cache. Each run fails, leaves no file and keeps the
// earlier output; a run without the limit writes the same bytes either way.
TEST(FullDiskRun, ALimitMetWhileTheRowsAreWrittenKeepsTheEarlierFile) {
    const test::TempDir disk;
    const test::TempDir memory(test::scratchRoot());
    std::vector<Bytes> done;
    for (const fs::path& folder : {disk.path(), memory.path()}) {
        // How far before the end of the file the limit lies (rounded down to
        // a block of 4096 bytes, or not).
        for (const auto& [back, block] :
             {std::pair<off_t, off_t>{1 << 20, 4096}, {(1 << 20) + 100, 1}, {0, 1}}) {
            SCOPED_TRACE(folder.string() + ", limit " + std::to_string(back) +
                         " bytes before the end");
            JobState job;
            RunSettings settings;
            test::setUpRun(job, settings, folder, {{100, 80}, {96, 84, 2, 2}}, 3000, 1500);
            test::writeFile(job.OutPath, kEarlier);
            std::optional<test::FileSizeLimit> limit;
            RunHooks hooks;
            hooks.makeTif = [&](JobState& j, const fs::path& file, TiffForm form) {
                if (!writeTiffHeader(file, test::shippedTemplate(), j.tifW, j.tifH, j.fbl, {},
                                     form == TiffForm::Big)) {
                    return false;
                }
                if (back > 0) {
                    limit.emplace((off_t(fs::file_size(file)) - back) / block * block);
                }
                return true;
            };
            const RunResult result = runInterlace(job, settings, hooks);
            limit.reset();
            EXPECT_TRUE(test::runTemporariesIn(folder).empty());
            if (back == 0) {
                ASSERT_EQ(result.outcome, RunOutcome::Done) << result.status.message();
                done.push_back(test::readFile(job.OutPath));
                continue;
            }
            EXPECT_EQ(result.outcome, RunOutcome::Failed);
            EXPECT_NE(result.status.message().find("文件超出了允许的大小"), std::string::npos)
                << result.status.message();
            EXPECT_EQ(test::readFile(job.OutPath), kEarlier);
        }
    }
    ASSERT_EQ(done.size(), 2u);
    EXPECT_TRUE(done[0] == done[1]) << "direct and buffered writes differ";
}

} // namespace
} // namespace tovrel
