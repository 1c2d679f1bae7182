#include "params/pitch_store.h"

#include "tests/params/data_file_maker.h"
#include "tests/params/restricted_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::dataFileBytes;
using test::patternTemplate;
using test::readFile;
using test::TempDir;
using test::writeDataFile;
using test::writeFile;
using Bytes = std::vector<unsigned char>;

// Compares floats bit for bit, so that 0 and -0 or two NaNs are told apart.
std::vector<uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<uint32_t> bits;
    for (float v : values) {
        bits.push_back(std::bit_cast<uint32_t>(v));
    }
    return bits;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\r') {
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

class PitchStoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    PitchStore store{dir.path()};

    Bytes data() const { return readFile(store.dataPath()); }
    std::vector<float> entries() const {
        const auto loaded = store.load();
        EXPECT_TRUE(loaded.isOk()) << loaded.message();
        return loaded.isOk() ? loaded.value() : std::vector<float>{};
    }
    bool tempExists() const { return fs::exists(fs::symlink_status(store.tempPath())); }
};

// One operation of the store, its outcome reduced to a status.
struct Operation {
    const char* name;
    std::function<Status(PitchStore&)> run;
};

const std::vector<Operation>& everyOperation() {
    static const std::vector<Operation> ops = {
        {"load", [](PitchStore& s) { return s.load().status(); }},
        {"readTemplate", [](PitchStore& s) { return s.readTemplate().status(); }},
        {"removeAll", [](PitchStore& s) { return s.removeAll(0.254f); }},
        {"append", [](PitchStore& s) { return s.append(0.5f); }},
    };
    return ops;
}

TEST(PitchStorePaths, AreTheFolderWithTheFixedNames) {
    for (const char* folder : {"/opt/tovrel", "/opt/tovrel/", "relative/dir"}) {
        SCOPED_TRACE(folder);
        const PitchStore store(folder);
        const std::string base = fs::path(folder).string();
        const std::string sep = base.back() == '/' ? "" : "/";
        EXPECT_EQ(store.dataPath().string(), base + sep + "kvxj.dll");
        EXPECT_EQ(store.tempPath().string(), base + sep + "kvxj.dl~");
    }
}

TEST_F(PitchStoreTest, PresentOnlyForAnOrdinaryFile) {
    EXPECT_FALSE(store.present());
    fs::create_directory(store.dataPath());
    EXPECT_FALSE(store.present());
    fs::remove(store.dataPath());
    writeDataFile(dir.path(), {});
    EXPECT_TRUE(store.present());
}

TEST_F(PitchStoreTest, EveryOperationOnAMissingFileGivesTheNotFoundMessage) {
    for (const auto& op : everyOperation()) {
        SCOPED_TRACE(op.name);
        const Status s = op.run(store);
        ASSERT_FALSE(s.isOk());
        EXPECT_EQ(s.message(), notFoundMessage());
        EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing may be created";
    }
}

TEST_F(PitchStoreTest, AFolderNamedLikeTheDataFileCountsAsMissing) {
    fs::create_directory(store.dataPath());
    for (const auto& op : everyOperation()) {
        SCOPED_TRACE(op.name);
        EXPECT_EQ(op.run(store).message(), notFoundMessage());
        EXPECT_TRUE(fs::is_empty(store.dataPath()));
        EXPECT_FALSE(tempExists());
    }
}

TEST(PitchStoreFolder, BelowARegularFileCountsAsMissing) {
    TempDir dir;
    writeFile(dir / "plain", {1, 2, 3});
    PitchStore store(dir / "plain" / "sub");
    for (const auto& op : everyOperation()) {
        SCOPED_TRACE(op.name);
        EXPECT_EQ(op.run(store).message(), notFoundMessage());
    }
    EXPECT_EQ(readFile(dir / "plain"), (Bytes{1, 2, 3}));
}

TEST(NotFoundMessage, HasItsLinesSeparatedByCarriageReturns) {
    const std::string text = notFoundMessage();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const auto lines = splitLines(text);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "kvxj.dll 没有找到。");
    EXPECT_EQ(lines[1], "    请复制 kvxj.dll 到该应用程序所在的文件夹。");
    EXPECT_EQ(lines[2], "");
    // The contact block: one line, an empty line, three lines.
    EXPECT_NE(lines[3], "");
    EXPECT_EQ(lines[4], "");
    for (int i = 5; i < 8; ++i) {
        EXPECT_NE(lines[i], "") << i;
    }
}

TEST_F(PitchStoreTest, ATemplateOnlyFileLoadsAnEmptyList) {
    writeDataFile(dir.path(), {});
    ASSERT_EQ(data().size(), kTemplateSize);
    const auto loaded = store.load();
    ASSERT_TRUE(loaded.isOk()) << loaded.message();
    EXPECT_TRUE(loaded.value().empty());
}

TEST_F(PitchStoreTest, LoadsEntriesInFileOrderWithTheirExactBits) {
    const std::vector<float> entries = {0.254f, 0.5f, 0.254f, -0.0f, 1.27f, 3.0e-7f};
    writeDataFile(dir.path(), entries);
    const auto loaded = store.load();
    ASSERT_TRUE(loaded.isOk()) << loaded.message();
    EXPECT_EQ(bitsOf(loaded.value()), bitsOf(entries));
}

TEST_F(PitchStoreTest, ReadTemplateGivesTheFirst1448Bytes) {
    writeDataFile(dir.path(), {0.5f});
    const auto tmpl = store.readTemplate();
    ASSERT_TRUE(tmpl.isOk()) << tmpl.message();
    EXPECT_EQ(tmpl.value(), patternTemplate());
}

TEST_F(PitchStoreTest, RemovingAValueDeletesEveryCopyAndKeepsTheTemplate) {
    writeDataFile(dir.path(), {0.254f, 0.5f, 0.254f});
    const Bytes before = data();
    ASSERT_TRUE(store.removeAll(0.254f).isOk());
    const Bytes after = data();
    EXPECT_EQ(after.size(), before.size() - 8);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + kTemplateSize, after.begin()));
    EXPECT_EQ(bitsOf(entries()), bitsOf({0.5f}));
    EXPECT_FALSE(tempExists());
}

struct RemovalCase {
    const char* name;
    std::vector<float> entries;
    float value;
    std::vector<float> remaining;
};

TEST_F(PitchStoreTest, RemovalKeepsExactlyTheEntriesThatDiffer) {
    const std::vector<RemovalCase> cases = {
        {"label reads 0, no zero entry", {0.254f, 0.5f}, 0.0f, {0.254f, 0.5f}},
        {"label reads 0, zero entries", {0.0f, 0.5f, 0.0f}, 0.0f, {0.5f}},
        {"minus zero equals zero", {-0.0f, 0.5f}, 0.0f, {0.5f}},
        {"typed value not in the list", {0.254f, 0.5f}, 0.7f, {0.254f, 0.5f}},
        {"every entry removed", {0.5f, 0.5f}, 0.5f, {}},
        {"nearby value is kept",
         {0.3f, std::nextafter(0.3f, 1.0f)},
         0.3f,
         {std::nextafter(0.3f, 1.0f)}},
        {"empty list", {}, 0.5f, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeDataFile(dir.path(), c.entries);
        ASSERT_TRUE(store.removeAll(c.value).isOk());
        EXPECT_EQ(data(), dataFileBytes(patternTemplate(), c.remaining));
        EXPECT_FALSE(tempExists());
    }
}

TEST_F(PitchStoreTest, ALeftoverTemporaryFileChangesNothing) {
    writeFile(store.tempPath(), Bytes(5000, 0xAB));
    writeDataFile(dir.path(), {0.254f, 0.5f, 0.254f});
    ASSERT_TRUE(store.removeAll(0.254f).isOk());
    EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.5f}));
    EXPECT_FALSE(tempExists());
}

TEST_F(PitchStoreTest, ALeftoverTemporaryLinkIsNotWrittenThrough) {
    const fs::path victim = dir / "victim";
    writeFile(victim, {9, 8, 7});
    fs::create_symlink(victim, store.tempPath());
    writeDataFile(dir.path(), {0.254f, 0.5f});
    ASSERT_TRUE(store.removeAll(0.5f).isOk());
    EXPECT_EQ(readFile(victim), (Bytes{9, 8, 7}));
    EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.254f}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(store.dataPath())));
}

TEST_F(PitchStoreTest, RewritingKeepsTheFilePermissions) {
    writeDataFile(dir.path(), {0.254f, 0.5f});
    // Permissions a usual umask would strip from a new file.
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
    fs::permissions(store.dataPath(), mode);
    ASSERT_TRUE(store.removeAll(0.5f).isOk());
    EXPECT_EQ(fs::status(store.dataPath()).permissions(), mode);
}

TEST_F(PitchStoreTest, AppendAddsOneLittleEndianFloatAtTheEnd) {
    writeDataFile(dir.path(), {0.254f});
    const Bytes before = data();
    ASSERT_TRUE(store.append(0.5f).isOk());
    Bytes expected = before;
    for (unsigned char b : {0x00, 0x00, 0x00, 0x3F}) {
        expected.push_back(b);
    }
    EXPECT_EQ(data(), expected);
    EXPECT_EQ(bitsOf(entries()), bitsOf({0.254f, 0.5f}));
}

TEST_F(PitchStoreTest, AShortFileIsDamagedAndNeverWritten) {
    for (std::size_t size : {std::size_t{0}, std::size_t{100}, kTemplateSize - 1}) {
        const Bytes shortFile(size, 0x5A);
        for (const auto& op : everyOperation()) {
            SCOPED_TRACE(std::string(op.name) + " on " + std::to_string(size) + " bytes");
            writeFile(store.dataPath(), shortFile);
            const Status s = op.run(store);
            ASSERT_FALSE(s.isOk());
            EXPECT_NE(s.message().find("已损坏"), std::string::npos) << s.message();
            EXPECT_NE(s.message().find(store.dataPath().string()), std::string::npos);
            EXPECT_EQ(data(), shortFile);
            EXPECT_FALSE(tempExists());
        }
    }
}

TEST_F(PitchStoreTest, StrayBytesAfterTheLastEntryNeverShiftEntries) {
    for (const Bytes& tail : {Bytes{0x11}, Bytes{0x11, 0x22}, Bytes{0x11, 0x22, 0x33}}) {
        SCOPED_TRACE(tail.size());
        writeDataFile(dir.path(), {0.254f, 0.5f}, tail);
        EXPECT_EQ(bitsOf(entries()), bitsOf({0.254f, 0.5f}));

        // An append lands right behind the last whole entry, over the stray bytes.
        ASSERT_TRUE(store.append(1.27f).isOk());
        EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.254f, 0.5f, 1.27f}));

        // A deletion rewrites whole entries only.
        writeDataFile(dir.path(), {0.254f, 0.5f}, tail);
        ASSERT_TRUE(store.removeAll(0.254f).isOk());
        EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.5f}));
    }
}

TEST_F(PitchStoreTest, ATemporaryFileThatCannotBeMadeLeavesTheDataFileAlone) {
    // A folder in the way of the temporary file.
    fs::create_directory(store.tempPath());
    writeFile(store.tempPath() / "inside", {1});
    writeDataFile(dir.path(), {0.254f, 0.5f});
    const Bytes before = data();
    const Status s = store.removeAll(0.254f);
    ASSERT_FALSE(s.isOk());
    EXPECT_NE(s.message().find(store.tempPath().string()), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("没有改变"), std::string::npos) << s.message();
    EXPECT_EQ(data(), before);
    EXPECT_EQ(readFile(store.tempPath() / "inside"), Bytes{1});
}

TEST_F(PitchStoreTest, AFullDiskDuringADeletionLeavesTheDataFileAlone) {
    writeDataFile(dir.path(), {0.254f, 0.5f, 0.254f});
    const Bytes before = data();
    // The temporary file may not grow to the template's size.
    const auto message = test::runWithFileSizeLimit(1000, [&] {
        PitchStore child(dir.path());
        return child.removeAll(0.254f).message();
    });
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find(store.tempPath().string()), std::string::npos) << *message;
    EXPECT_EQ(data(), before);
    EXPECT_FALSE(tempExists());
}

TEST_F(PitchStoreTest, AFullDiskDuringAnAppendLeavesTheDataFileAlone) {
    for (const Bytes& tail : {Bytes{}, Bytes{0x11, 0x22}}) {
        SCOPED_TRACE(tail.size());
        writeDataFile(dir.path(), {0.254f}, tail);
        const Bytes before = data();
        const auto message = test::runWithFileSizeLimit(static_cast<off_t>(before.size()), [&] {
            PitchStore child(dir.path());
            return child.append(0.5f).message();
        });
        ASSERT_TRUE(message.has_value());
        EXPECT_NE(message->find(store.dataPath().string()), std::string::npos) << *message;
        EXPECT_EQ(data(), before);
    }
}

// Gives the test folder to an ordinary user's reach: others may enter it.
void openUpForOthers(const fs::path& p) {
    fs::permissions(p,
                    fs::perms::others_read | fs::perms::others_exec | fs::perms::group_read |
                        fs::perms::group_exec,
                    fs::perm_options::add);
}

TEST_F(PitchStoreTest, AReadOnlyDataFileIsNeitherAppendedToNorRewritten) {
    openUpForOthers(dir.path());
    writeDataFile(dir.path(), {0.254f, 0.5f});
    test::giveToOrdinaryUser(dir.path().string()); // the folder itself is writable
    fs::permissions(store.dataPath(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    test::giveToOrdinaryUser(store.dataPath().string());
    const Bytes before = data();
    const auto messages = test::runAsOrdinaryUser([&] {
        PitchStore child(dir.path());
        return child.append(1.27f).message() + "\n" + child.removeAll(0.254f).message();
    });
    if (!messages) {
        GTEST_SKIP() << "cannot run as an ordinary user here";
    }
    const auto both = messages->find('\n');
    ASSERT_NE(both, std::string::npos);
    for (const std::string& m : {messages->substr(0, both), messages->substr(both + 1)}) {
        EXPECT_NE(m.find(store.dataPath().string()), std::string::npos) << m;
        EXPECT_NE(m.find("没有访问权限"), std::string::npos) << m;
    }
    EXPECT_EQ(data(), before);
    EXPECT_FALSE(tempExists());
}

TEST_F(PitchStoreTest, AReadOnlyFolderLeavesTheDataFileAlone) {
    openUpForOthers(dir.path());
    writeDataFile(dir.path(), {0.254f, 0.5f});
    test::giveToOrdinaryUser(store.dataPath().string()); // the file itself is writable
    fs::permissions(dir.path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const Bytes before = data();
    const auto message = test::runAsOrdinaryUser([&] {
        PitchStore child(dir.path());
        return child.removeAll(0.254f).message();
    });
    if (!message) {
        GTEST_SKIP() << "cannot run as an ordinary user here";
    }
    EXPECT_NE(message->find(store.tempPath().string()), std::string::npos) << *message;
    EXPECT_NE(message->find("没有改变"), std::string::npos) << *message;
    EXPECT_EQ(data(), before);
    EXPECT_FALSE(tempExists());
}

} // namespace
} // namespace tovrel
