// The data file missing, damaged or out of reach at each operation that uses
// it: a clear message, the file byte for byte as it was, no temporary file.

#include "params/pitch_store.h"
#include "params/posix_file.h"

#include "tests/faults/store_ops.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Outcome;
using test::StoreOp;

TiffTemplate garbageTemplate() {
    TiffTemplate t;
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] = static_cast<uint8_t>(0xFF - i % 7);
    }
    return t;
}

void writeGood(const fs::path& folder, const TiffTemplate& tmpl = test::patternTemplate(),
               const Bytes& tail = {}) {
    test::writeFile(folder / "kvxj.dll", test::dataFileBytes(tmpl, test::startingEntries(), tail));
}

// The bytes of an ordinary file; nothing for anything else at the path.
Bytes bytesOf(const fs::path& p) {
    return fs::is_regular_file(p) ? test::readFile(p) : Bytes{};
}

void openUpForOthers(const fs::path& p) {
    fs::permissions(p, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
}

struct DataFault {
    std::string name;
    std::function<void(const fs::path& folder)> setup;
    std::function<Outcome(StoreOp)> outcome;
    bool asOrdinaryUser = false;
    TiffTemplate tmpl = test::patternTemplate(); // of the file, where it is whole
    Bytes tail = {};                             // stray bytes behind the last entry
};

std::function<Outcome(StoreOp)> always(Outcome o) {
    return [o](StoreOp) { return o; };
}

// Operations that write to the data file itself fail on it; the others work.
std::function<Outcome(StoreOp)> writesFail(Outcome o) {
    return [o](StoreOp op) {
        return op == StoreOp::RemoveAll || op == StoreOp::Append || op == StoreOp::RecordNew
                   ? o
                   : Outcome::Works;
    };
}

std::vector<DataFault> dataFaults() {
    std::vector<DataFault> faults = {
        {"missing", [](const fs::path&) {}, always(Outcome::NotFound)},
        {"a folder in its place", [](const fs::path& f) { fs::create_directory(f / "kvxj.dll"); },
         always(Outcome::NotFound)},
        {"empty", [](const fs::path& f) { test::writeFile(f / "kvxj.dll", {}); },
         always(Outcome::Damaged)},
        {"one byte", [](const fs::path& f) { test::writeFile(f / "kvxj.dll", {0x49}); },
         always(Outcome::Damaged)},
        {"template a byte short",
         [](const fs::path& f) {
             const auto t = test::patternTemplate();
             test::writeFile(f / "kvxj.dll", Bytes(t.begin(), t.end() - 1));
         },
         always(Outcome::Damaged)},
        {"more entries than any list holds",
         [](const fs::path& f) {
             writeGood(f);
             fs::resize_file(f / "kvxj.dll", kTemplateSize + 4 * (kMaxEntries + 1));
         },
         always(Outcome::Damaged)},
        {"garbage template", [](const fs::path& f) { writeGood(f, garbageTemplate()); },
         always(Outcome::Works), false, garbageTemplate()},
        {"unreadable to the user",
         [](const fs::path& f) {
             openUpForOthers(f);
             writeGood(f);
             fs::permissions(f / "kvxj.dll", fs::perms::none);
         },
         always(Outcome::NoAccess), true},
        {"read-only",
         [](const fs::path& f) {
             openUpForOthers(f);
             writeGood(f);
             fs::permissions(f / "kvxj.dll", fs::perms::owner_read | fs::perms::others_read);
             test::giveToOrdinaryUser(f / "kvxj.dll");
             test::giveToOrdinaryUser(f); // the folder itself is theirs
         },
         writesFail(Outcome::NoAccess), true},
        {"in a read-only folder",
         [](const fs::path& f) {
             openUpForOthers(f);
             writeGood(f);
             test::giveToOrdinaryUser(f / "kvxj.dll"); // the file itself is theirs
         },
         [](StoreOp op) {
             return op == StoreOp::RemoveAll ? Outcome::TempBlocked : Outcome::Works;
         },
         true},
    };
    for (const Bytes& tail : {Bytes{0x11}, Bytes{0x11, 0x22}, Bytes{0x11, 0x22, 0x33}}) {
        faults.push_back(
            {"a partial entry of " + std::to_string(tail.size()) + " bytes at the end",
             [tail](const fs::path& f) { writeGood(f, test::patternTemplate(), tail); },
             always(Outcome::Works), false, test::patternTemplate(), tail});
    }
    return faults;
}

// Runs op as the test itself or as an ordinary user; nothing when the user
// cannot be switched to here.
std::optional<Status> runAs(bool ordinaryUser, StoreOp op, const fs::path& folder,
                            const TiffTemplate& tmpl) {
    if (!ordinaryUser) {
        return test::runStoreOp(op, folder, tmpl);
    }
    // A failure's message is never empty; an empty text means it worked.
    const auto text = test::runAsOrdinaryUser([&] {
        const Status s = test::runStoreOp(op, folder, tmpl);
        return s.message();
    });
    if (!text) {
        return std::nullopt;
    }
    return text->empty() ? Status::ok() : Status::fail(*text);
}

TEST(DataFileFaults, EveryOperationGivesAClearMessageAndLeavesTheFileAsItWas) {
    std::set<std::string> skipped;
    for (const auto& fault : dataFaults()) {
        for (StoreOp op : test::everyStoreOp()) {
            SCOPED_TRACE(fault.name + ", " + test::nameOf(op));
            test::TempDir dir;
            const fs::path data = dir / "kvxj.dll";
            fault.setup(dir.path());
            const auto kind = fs::symlink_status(data).type();
            const Bytes before = bytesOf(data);

            const auto status = runAs(fault.asOrdinaryUser, op, dir.path(), fault.tmpl);
            if (!status) {
                skipped.insert(fault.name);
                continue;
            }
            const Outcome outcome = fault.outcome(op);
            test::expectOutcome(outcome, *status, dir.path());
            EXPECT_EQ(fs::symlink_status(data).type(), kind);
            if (outcome == Outcome::Works) {
                EXPECT_EQ(bytesOf(data), test::contentAfter(op, fault.tmpl, fault.tail));
            } else {
                EXPECT_EQ(bytesOf(data), before);
            }
            EXPECT_FALSE(test::tempLeft(dir.path()));

            // Put right, the same operation works and leaves nothing behind.
            fs::remove_all(data);
            writeGood(dir.path());
            EXPECT_TRUE(test::runStoreOp(op, dir.path(), test::patternTemplate()).isOk());
            EXPECT_FALSE(test::tempLeft(dir.path()));
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped.size() << " cases need to switch to another user, as root can";
    }
}

TEST(DataFileFaults, AnAbsurdlyLongFileIsDamagedAndNeverReadIntoMemory) {
    test::TempDir dir;
    const fs::path data = dir / "kvxj.dll";
    writeGood(dir.path());
    // A terabyte, all but the template a hole: reading it would exhaust memory.
    constexpr std::uintmax_t kLength = std::uintmax_t{1} << 40;
    fs::resize_file(data, kLength);
    for (StoreOp op : test::everyStoreOp()) {
        SCOPED_TRACE(test::nameOf(op));
        test::expectOutcome(Outcome::Damaged,
                            test::runStoreOp(op, dir.path(), test::patternTemplate()), dir.path());
        EXPECT_EQ(fs::file_size(data), kLength);
        EXPECT_FALSE(test::tempLeft(dir.path()));
    }
}

// No file may grow past a limit: below the template, a rewrite cannot make
// its temporary file; at the file's own length, nothing can be added (with
// stray bytes at the end, an addition gets halfway before it fails).
TEST(DataFileFaults, ASizeLimitLosesNothing) {
    for (const Bytes& tail : {Bytes{}, Bytes{0x11, 0x22}}) {
        for (const bool belowTemplate : {true, false}) {
            for (StoreOp op : test::everyStoreOp()) {
                SCOPED_TRACE(test::nameOf(op) +
                             (belowTemplate ? ", below the template" : ", at the length") + ", " +
                             std::to_string(tail.size()) + " stray bytes");
                test::TempDir dir;
                writeGood(dir.path(), test::patternTemplate(), tail);
                const fs::path data = dir / "kvxj.dll";
                const Bytes before = test::readFile(data);
                const off_t limit = belowTemplate ? 1000 : static_cast<off_t>(before.size());
                const auto text = test::runWithFileSizeLimit(limit, [&] {
                    return test::runStoreOp(op, dir.path(), test::patternTemplate()).message();
                });
                ASSERT_TRUE(text.has_value());
                Outcome outcome = Outcome::Works;
                if (op == StoreOp::Append || op == StoreOp::RecordNew) {
                    outcome = Outcome::Unchanged;
                } else if (op == StoreOp::RemoveAll && belowTemplate) {
                    outcome = Outcome::TempBlocked;
                }
                test::expectOutcome(outcome, text->empty() ? Status::ok() : Status::fail(*text),
                                    dir.path());
                EXPECT_EQ(test::readFile(data),
                          outcome == Outcome::Works
                              ? test::contentAfter(op, test::patternTemplate(), tail)
                              : before);
                EXPECT_FALSE(test::tempLeft(dir.path()));
            }
        }
    }
}

// Fills the disk the folder is on, so that no further byte fits.
void fillDisk(const fs::path& folder) {
    PosixFile filler = PosixFile::open(folder / "filler", O_WRONLY | O_CREAT | O_TRUNC);
    const Bytes block(4096, 0);
    off_t at = 0;
    while (filler.writeAt(block.data(), block.size(), at) == 0) {
        at += static_cast<off_t>(block.size());
    }
}

TEST(DataFileFaults, AFullDiskLosesNothingAndTheNextOperationWorks) {
    test::TempDir dir;
    // 662 entries make the file exactly one 4096-byte page: an added entry
    // needs a page more.
    std::vector<float> entries(662, 0.5f);
    entries.front() = 0.254f;
    const Bytes whole = test::dataFileBytes(test::patternTemplate(), entries);
    ASSERT_EQ(whole.size(), 4096u);
    const PitchStore store(dir.path());
    // Everything happens on the small disk, which only the child sees; it
    // reports each step as: its message, whether the file is as it was,
    // whether a temporary file is left.
    const auto report = test::runOnSmallDisk(dir.path(), 64 * 1024, [&] {
        test::writeFile(store.dataPath(), whole);
        fillDisk(dir.path());
        std::string text;
        auto step = [&](const Status& s, const Bytes& expected) {
            text += s.message() + "|" +
                    (test::readFile(store.dataPath()) == expected ? "as expected" : "wrong") + "|" +
                    (test::tempLeft(dir.path()) ? "temp" : "no temp") + "\n";
        };
        PitchStore onDisk(dir.path());
        step(onDisk.removeAll(0.254f), whole);
        step(onDisk.append(1.27f), whole);
        fs::remove(dir / "filler");
        step(onDisk.removeAll(0.254f),
             test::dataFileBytes(test::patternTemplate(), std::vector<float>(661, 0.5f)));
        return text;
    });
    if (!report) {
        GTEST_SKIP() << "cannot mount a small disk here";
    }
    const std::string full = "磁盘空间不足";
    const std::string expected =
        "无法写入临时文件 " + store.tempPath().string() + "：" + full + "。数据文件 " +
        store.dataPath().string() + " 没有改变。|as expected|no temp\n" +
        "无法把栅距写入数据文件 " + store.dataPath().string() + "：" + full +
        "。数据文件没有改变。|as expected|no temp\n" + "|as expected|no temp\n";
    EXPECT_EQ(*report, expected);
}

TEST(DataFileFaults, ARewriteKeepsTheOwnerOfTheFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can make a file someone else's";
    }
    test::TempDir dir;
    writeGood(dir.path());
    const fs::path data = dir / "kvxj.dll";
    test::giveToOrdinaryUser(data.string());
    ASSERT_TRUE(PitchStore(dir.path()).removeAll(0.254f).isOk());
    struct stat info;
    ASSERT_EQ(stat(data.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, test::kOtherUser);
    EXPECT_EQ(info.st_gid, test::kOtherUser);
    EXPECT_EQ(test::readFile(data),
              test::contentAfter(StoreOp::RemoveAll, test::patternTemplate()));
}

} // namespace
} // namespace tovrel
