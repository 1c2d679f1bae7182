// A disk that fills up during a run: the run fails with a message naming the
// problem and the file, removes its file, keeps an earlier output, and the
// next run that fits succeeds and leaves nothing behind.

#include "render/temp_output.h"
#include "tests/faults/run_scene.h"
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
bool sparseHeader(JobState& job, const fs::path& file) {
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
std::string runOnFullDisk(const fs::path& folder, bool sparse) {
    JobState job;
    RunSettings settings;
    test::setUpRun(job, settings, folder, {{100, 80}, {96, 84, 2, 2}}, 3000, 1500);
    test::writeFile(job.OutPath, kEarlier);
    int lastProgress = -1;
    RunHooks hooks;
    hooks.makeTif = sparse ? sparseHeader : test::writeTestHeader;
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
    return report + "|" + result.status.message();
}

TEST(FullDiskRun, FailsClearlyKeepsTheEarlierFileAndTheNextRunWorks) {
    test::TempDir dir;
    for (const bool sparse : {false, true}) {
        SCOPED_TRACE(sparse ? "room not set aside" : "room set aside with the header");
        const auto report = test::runOnSmallDisk(dir.path(), kDisk,
                                                 [&] { return runOnFullDisk(dir.path(), sparse); });
        if (!report) {
            GTEST_SKIP() << "cannot mount a small disk here";
        }
        if (!sparse) {
            // The header's writer finds no room and says so itself.
            EXPECT_EQ(report->rfind("no header|progress -1|earlier kept|clean|next done|clean|", 0),
                      0u)
                << *report;
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
