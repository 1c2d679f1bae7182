// A program killed at any moment while it rewrites or adds to a large data
// file: afterwards the file is the complete old or the complete new content,
// never missing or torn, and the next operation works and leaves no leftover.

#include "params/pitch_store.h"

#include "tiff/tiff_header.h"
#include "tests/faults/kill_midway.h"
#include "tests/faults/store_ops.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr std::size_t kEntries = 100'000;
constexpr float kFlipping = 0.5f; // deleted and added again, over and over
constexpr int kKills = 40;

// 100 000 distinct pitches, with kFlipping among them at every 10th place.
std::vector<float> largeList() {
    std::vector<float> entries;
    for (std::size_t i = 0; i < kEntries; ++i) {
        entries.push_back(i % 10 == 0 ? kFlipping : 1.0f + static_cast<float>(i) / 65536);
    }
    return entries;
}

std::vector<float> without(std::vector<float> entries, float value) {
    std::erase(entries, value);
    return entries;
}

// Deletes and adds kFlipping in a loop until it is killed; false when an
// operation failed.
bool flipForever(const fs::path& folder) {
    PitchStore store(folder);
    for (;;) {
        if (!store.removeAll(kFlipping) || !store.append(kFlipping)) {
            return false;
        }
    }
}

TEST(KilledRewrite, LeavesTheOldOrTheNewContentAndTheNextOperationCleansUp) {
    test::TempDir dir;
    const PitchStore store(dir.path());
    const auto tmpl = test::patternTemplate();
    const std::vector<float> first = largeList();
    const std::vector<float> deleted = without(first, kFlipping);
    std::vector<float> added = deleted;
    added.push_back(kFlipping);
    // The file starts as `first`; each deletion makes `deleted` and each
    // addition after it `added`. Nothing else may ever be seen.
    const std::vector<Bytes> whole = {test::dataFileBytes(tmpl, first),
                                      test::dataFileBytes(tmpl, deleted),
                                      test::dataFileBytes(tmpl, added)};
    test::writeFile(store.dataPath(), whole[0]);

    // One deletion and addition, to spread the kills over that span and a bit
    // beyond. How long it takes is never checked.
    const auto start = std::chrono::steady_clock::now();
    {
        PitchStore timing(dir.path());
        ASSERT_TRUE(timing.removeAll(kFlipping).isOk());
        ASSERT_TRUE(timing.append(kFlipping).isOk());
    }
    const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    test::writeFile(store.dataPath(), whole[0]);

    // The operations that follow a kill: each keeps the file within `whole`.
    const std::vector<std::function<Status(PitchStore&)>> next = {
        [](PitchStore& s) { return s.load().status(); },
        [](PitchStore& s) { return s.readTemplate().status(); },
        [](PitchStore& s) { return s.removeAll(kFlipping); },
        [](PitchStore& s) { return recordPitch(s, kFlipping); },
    };
    int tempsLeft = 0;
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        // Moments spread evenly over three cycles, visited out of order.
        const auto delay = cycle * 3 * ((k * 17) % kKills) / kKills;
        ASSERT_TRUE(test::killMidway([&] { return flipForever(dir.path()); }, delay))
            << "the child stopped by itself";

        const Bytes after = test::readFile(store.dataPath());
        EXPECT_NE(std::find(whole.begin(), whole.end(), after), whole.end())
            << "torn or missing: " << after.size() << " bytes";
        tempsLeft += test::tempLeft(dir.path()) ? 1 : 0;

        PitchStore again(dir.path());
        const Status s = next[static_cast<std::size_t>(k) % next.size()](again);
        EXPECT_TRUE(s.isOk()) << s.message();
        EXPECT_FALSE(test::tempLeft(dir.path()));
        EXPECT_NE(std::find(whole.begin(), whole.end(), test::readFile(store.dataPath())),
                  whole.end());
    }
    RecordProperty("kills_that_left_a_temporary_file", tempsLeft);
}

} // namespace
} // namespace tovrel
