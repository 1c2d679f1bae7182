#include "tiff/tiff_header.h"

#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::dataFileBytes;
using test::patternTemplate;
using test::readFile;
using test::TempDir;
using test::writeDataFile;

class RecordPitchTest : public ::testing::Test {
  protected:
    TempDir dir;
    PitchStore store{dir.path()};

    std::vector<unsigned char> data() const { return readFile(store.dataPath()); }
};

TEST_F(RecordPitchTest, AListedPitchLeavesTheFileByteForByte) {
    const struct {
        const char* name;
        std::vector<float> entries;
        float pitch;
    } cases[] = {
        {"same value", {0.254f, 0.5f}, 0.5f},
        {"item text reads as the pitch", {0.12345678f}, 0.1234568f},
        {"several copies", {0.5f, 0.5f}, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeDataFile(dir.path(), c.entries);
        const auto before = data();
        ASSERT_TRUE(recordPitch(store, c.pitch).isOk());
        EXPECT_EQ(data(), before);
    }
}

TEST_F(RecordPitchTest, ANewPitchAddsExactlyItsFourBytes) {
    writeDataFile(dir.path(), {0.254f, 0.5f});
    ASSERT_TRUE(recordPitch(store, 0.635f).isOk());
    EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.254f, 0.5f, 0.635f}));
}

TEST_F(RecordPitchTest, APitchWithMoreDigitsThanTheListShowsIsRecordedOnce) {
    writeDataFile(dir.path(), {0.5f});
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(recordPitch(store, 0.12345678f).isOk());
    }
    EXPECT_EQ(data(), dataFileBytes(patternTemplate(), {0.5f, 0.12345678f}));
}

TEST_F(RecordPitchTest, AMissingDataFileGivesTheNotFoundMessageAndCreatesNothing) {
    const Status s = recordPitch(store, 0.5f);
    EXPECT_EQ(s.message(), notFoundMessage());
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(RecordPitchTest, ADamagedDataFileIsLeftAsItIs) {
    test::writeFile(store.dataPath(), std::vector<unsigned char>(700, 0x42));
    const Status s = recordPitch(store, 0.5f);
    ASSERT_FALSE(s.isOk());
    EXPECT_NE(s.message().find(store.dataPath().string()), std::string::npos) << s.message();
    EXPECT_EQ(data(), std::vector<unsigned char>(700, 0x42));
}

} // namespace
} // namespace tovrel
