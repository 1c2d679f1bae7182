// Whatever an interrupted rewrite, or anyone else, left at the temporary
// file's name: the next operation works, removes it without following it, and
// never touches anything it points to.

#include "params/pitch_store.h"

#include "tests/faults/store_ops.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Outcome;
using test::StoreOp;

const Bytes kJunk(5000, 0xAB);

struct Leftover {
    std::string name;
    // Puts the leftover at temp; things it points to go into elsewhere.
    std::function<void(const fs::path& temp, const fs::path& elsewhere)> make;
    bool survives = false; // a folder with something in it is not ours to remove
};

std::vector<Leftover> leftovers() {
    return {
        {"a file", [](const fs::path& t, const fs::path&) { test::writeFile(t, kJunk); }},
        {"an empty file", [](const fs::path& t, const fs::path&) { test::writeFile(t, {}); }},
        {"an empty folder", [](const fs::path& t, const fs::path&) { fs::create_directory(t); }},
        {"a folder with a file in it",
         [](const fs::path& t, const fs::path&) {
             fs::create_directory(t);
             test::writeFile(t / "inside", kJunk);
         },
         true},
        {"a link to a file elsewhere",
         [](const fs::path& t, const fs::path& e) {
             test::writeFile(e / "target", kJunk);
             fs::create_symlink(e / "target", t);
         }},
        {"a link to a folder elsewhere",
         [](const fs::path& t, const fs::path& e) {
             fs::create_directory(e / "folder");
             test::writeFile(e / "folder" / "inside", kJunk);
             fs::create_directory_symlink(e / "folder", t);
         }},
        {"a dangling link",
         [](const fs::path& t, const fs::path& e) { fs::create_symlink(e / "nothing", t); }},
        {"a link to the data file",
         [](const fs::path& t, const fs::path&) { fs::create_symlink("kvxj.dll", t); }},
    };
}

// Everything under root with its bytes, to tell that nothing there changed.
std::map<std::string, Bytes> contentsOf(const fs::path& root) {
    std::map<std::string, Bytes> all;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        all[fs::relative(entry.path(), root).string()] =
            entry.is_regular_file() ? test::readFile(entry.path()) : Bytes{};
    }
    return all;
}

TEST(LeftoverTemporaryFile, IsRemovedByTheNextOperationWithoutFollowingIt) {
    for (const auto& leftover : leftovers()) {
        for (StoreOp op : test::everyStoreOp()) {
            SCOPED_TRACE(leftover.name + ", " + test::nameOf(op));
            test::TempDir dir;
            test::TempDir elsewhere;
            test::writeDataFile(dir.path(), test::startingEntries());
            const PitchStore store(dir.path());
            leftover.make(store.tempPath(), elsewhere.path());
            const auto outside = contentsOf(elsewhere.path());

            const Outcome outcome = leftover.survives && op == StoreOp::RemoveAll
                                        ? Outcome::TempBlocked
                                        : Outcome::Works;
            test::expectOutcome(outcome, test::runStoreOp(op, dir.path(), test::patternTemplate()),
                                dir.path());
            EXPECT_EQ(test::readFile(store.dataPath()),
                      outcome == Outcome::Works
                          ? test::contentAfter(op, test::patternTemplate())
                          : test::dataFileBytes(test::patternTemplate(), test::startingEntries()));
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(store.dataPath())));
            EXPECT_EQ(contentsOf(elsewhere.path()), outside);
            if (leftover.survives) {
                EXPECT_EQ(test::readFile(store.tempPath() / "inside"), kJunk);
            } else {
                EXPECT_FALSE(test::tempLeft(dir.path()));
            }
        }
    }
}

// A rewrite never deletes the data file, so without it the leftover may be
// the only copy of the list someone else's rewrite left: it stays.
TEST(LeftoverTemporaryFile, StaysWhenTheDataFileIsMissingOrDamaged) {
    const struct {
        const char* name;
        std::function<void(const fs::path& folder)> data;
        Outcome outcome;
    } cases[] = {
        {"missing", [](const fs::path&) {}, Outcome::NotFound},
        {"short", [](const fs::path& f) { test::writeFile(f / "kvxj.dll", Bytes(1000, 7)); },
         Outcome::Damaged},
    };
    const Bytes copy = test::dataFileBytes(test::patternTemplate(), {0.5f});
    for (const auto& c : cases) {
        for (StoreOp op : test::everyStoreOp()) {
            SCOPED_TRACE(std::string(c.name) + ", " + test::nameOf(op));
            test::TempDir dir;
            const PitchStore store(dir.path());
            c.data(dir.path());
            test::writeFile(store.tempPath(), copy);
            test::expectOutcome(
                c.outcome, test::runStoreOp(op, dir.path(), test::patternTemplate()), dir.path());
            EXPECT_EQ(test::readFile(store.tempPath()), copy);
        }
    }
}

} // namespace
} // namespace tovrel
