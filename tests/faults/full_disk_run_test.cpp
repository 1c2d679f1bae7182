// A disk that fills up during a run: the run fails with a message naming the
// problem and the file, removes its file, keeps an earlier output, and the
// next run that fits succeeds and leaves nothing behind.

#include "output/temp_output.h"
#include "tiff/tiff_header.h"
#include "tests/faults/run_scene.h"
#include "tests/params/data_file_maker.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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

} // namespace
} // namespace tovrel
