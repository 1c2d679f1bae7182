// A run killed at any moment: the file at the output path is the earlier file
// byte for byte or the complete new one, never torn, and the next successful
// run into the folder removes what the killed one left behind.

#include "tests/faults/kill_midway.h"
#include "tests/faults/run_scene.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr int kKills = 24;
const Bytes kEarlier(5000, 0x3C);

TEST(KilledRun, LeavesTheEarlierOrTheWholeNewFileAndTheNextRunCleansUp) {
    test::TempDir dir;
    JobState job;
    RunSettings settings;
    test::setUpRun(job, settings, dir.path(),
                   {{600, 400}, {620, 410, 5, 3}, {600, 420, 0, 9}, {610, 400}}, 3000, 2000);

    // The new file, made once into another name; how long that takes only
    // spreads the kills, it is never checked.
    JobState reference = job;
    reference.OutPath = (dir / "reference.tif").string();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(test::runAndSay(reference, settings), "done");
    const auto run = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const Bytes whole = test::readFile(reference.OutPath);
    const test::TiffContents tiff = test::readTiff(reference.OutPath, false);
    ASSERT_TRUE(tiff.opened && tiff.complaints.empty());

    int leftBehind = 0;
    int replaced = 0;
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        test::writeFile(job.OutPath, kEarlier);
        // Moments spread evenly over a little more than one run, out of order.
        const auto delay = run * 6 / 5 * ((k * 7) % kKills) / kKills;
        ASSERT_TRUE(
            test::killMidway([&] { return test::runAndSay(job, settings) == "done"; }, delay))
            << "the run failed by itself";

        const Bytes after = test::readFile(job.OutPath);
        const bool earlier = after == kEarlier;
        EXPECT_TRUE(earlier || after == whole) << "torn output: " << after.size() << " bytes";
        replaced += earlier ? 0 : 1;
        leftBehind += static_cast<int>(test::runTemporariesIn(dir.path()).size());
    }
    EXPECT_GT(leftBehind, 0) << "no kill landed while a run was writing";
    // Whatever the kills left goes with the next successful run, into
    // another file of the same folder.
    JobState next = job;
    next.OutPath = (dir / "next.tif").string();
    ASSERT_EQ(test::runAndSay(next, settings), "done");
    EXPECT_TRUE(test::runTemporariesIn(dir.path()).empty());
    EXPECT_EQ(test::readFile(next.OutPath), whole);
    RecordProperty("temporary_files_left_by_kills", leftBehind);
    RecordProperty("kills_after_the_file_was_replaced", replaced);
}

} // namespace
} // namespace tovrel
