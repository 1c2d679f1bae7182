// Damaged and unusual data files, each with the exact list it loads as (or
// the message that refuses it), the items the pitch box shows, and what a
// deletion and an append then leave in the file.

#include "params/pitch_store.h"

#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace tovrel {
namespace {

using Bytes = std::vector<unsigned char>;
using test::dataFileBytes;
using test::patternTemplate;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Bytes templatePrefix(std::size_t length) {
    const TiffTemplate t = patternTemplate();
    return Bytes(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(length));
}

std::vector<uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<uint32_t> bits;
    for (float v : values) {
        bits.push_back(std::bit_cast<uint32_t>(v));
    }
    return bits;
}

struct DataCase {
    const char* what;
    Bytes bytes;
    std::optional<std::vector<float>> loads; // else refused as damaged
    std::vector<std::string> items = {};
};

const std::vector<DataCase>& dataFiles() {
    static const std::vector<DataCase> cases = {
        {"empty", {}, {}},
        {"one byte", templatePrefix(1), {}},
        {"template one byte short", templatePrefix(kTemplateSize - 1), {}},
        {"template only", dataFileBytes(patternTemplate(), {}), std::vector<float>{}},
        {"one stray byte", dataFileBytes(patternTemplate(), {}, {0x01}), std::vector<float>{}},
        {"three stray bytes", dataFileBytes(patternTemplate(), {}, {1, 2, 3}),
         std::vector<float>{}},
        {"entry and stray bytes",
         dataFileBytes(patternTemplate(), {0.254f}, {0xFF, 0xFF}),
         std::vector<float>{0.254f},
         {"0.254"}},
        {"NaN and infinities",
         dataFileBytes(patternTemplate(), {kNaN, kInf, -kInf}),
         std::vector<float>{kNaN, kInf, -kInf},
         {"NaN", "Inf", "-Inf"}},
        {"signed zeros",
         dataFileBytes(patternTemplate(), {0.0f, -0.0f}),
         std::vector<float>{0.0f, -0.0f},
         {"0", "0"}},
        {"extremes",
         dataFileBytes(patternTemplate(), {FLT_MAX, FLT_TRUE_MIN, -1.5f}),
         std::vector<float>{FLT_MAX, FLT_TRUE_MIN, -1.5f},
         {"3.402823E+38", "1.401298E-45", "-1.5"}},
        {"not a short decimal",
         dataFileBytes(patternTemplate(), {0.3f, 1.0f / 3}),
         std::vector<float>{0.3f, 1.0f / 3},
         {"0.3", "0.3333333"}},
    };
    return cases;
}

class BadDataFileCatalogue : public ::testing::Test {
  protected:
    test::TempDir dir;
    PitchStore store{dir.path()};

    std::string damaged(std::size_t length) const {
        return "数据文件 " + store.dataPath().string() + " 已损坏：它只有 " +
               std::to_string(length) +
               " 字节，连 1448 字节的文件头模板都不完整。请把完好的 kvxj.dll "
               "复制到该应用程序所在的文件夹。";
    }
};

TEST_F(BadDataFileCatalogue, EachFileLoadsAsItsExactList) {
    for (const DataCase& c : dataFiles()) {
        SCOPED_TRACE(c.what);
        test::writeFile(store.dataPath(), c.bytes);
        const Result<std::vector<float>> loaded = store.load();
        if (!c.loads) {
            ASSERT_FALSE(loaded);
            EXPECT_EQ(loaded.message(), damaged(c.bytes.size()));
            continue;
        }
        ASSERT_TRUE(loaded) << loaded.message();
        EXPECT_EQ(bitsOf(loaded.value()), bitsOf(*c.loads));
        std::vector<std::string> items;
        for (float e : loaded.value()) {
            items.push_back(pitchItemText(e));
        }
        EXPECT_EQ(items, c.items);
    }
}

TEST_F(BadDataFileCatalogue, DamagedFilesAreNeverWritten) {
    for (const DataCase& c : dataFiles()) {
        if (c.loads) {
            continue;
        }
        SCOPED_TRACE(c.what);
        test::writeFile(store.dataPath(), c.bytes);
        EXPECT_EQ(store.removeAll(0.254f).message(), damaged(c.bytes.size()));
        EXPECT_EQ(store.append(0.254f).message(), damaged(c.bytes.size()));
        EXPECT_EQ(store.readTemplate().message(), damaged(c.bytes.size()));
        EXPECT_EQ(test::readFile(store.dataPath()), c.bytes);
        EXPECT_FALSE(std::filesystem::exists(store.tempPath()));
    }
}

TEST_F(BadDataFileCatalogue, UsableFilesKeepTheirTemplateThroughDeletionAndAppend) {
    for (const DataCase& c : dataFiles()) {
        if (!c.loads) {
            continue;
        }
        SCOPED_TRACE(c.what);
        test::writeFile(store.dataPath(), c.bytes);
        // Deleting a value no entry has drops only the stray bytes; the
        // append then lands right behind the last entry.
        ASSERT_TRUE(store.removeAll(0.7f));
        ASSERT_TRUE(store.append(0.7f));
        std::vector<float> expected = *c.loads;
        expected.push_back(0.7f);
        EXPECT_EQ(test::readFile(store.dataPath()), dataFileBytes(patternTemplate(), expected));
        // Deleting 0 removes both signed zeros and nothing that is not equal
        // to 0, such as NaN.
        ASSERT_TRUE(store.removeAll(0.0f));
        std::vector<float> kept;
        for (float e : expected) {
            if (e != 0.0f) {
                kept.push_back(e);
            }
        }
        EXPECT_EQ(test::readFile(store.dataPath()), dataFileBytes(patternTemplate(), kept));
    }
}

TEST_F(BadDataFileCatalogue, AMissingFileOrAFolderInItsPlaceIsNotFound) {
    EXPECT_EQ(store.load().message(), notFoundMessage());
    std::filesystem::create_directory(store.dataPath());
    EXPECT_EQ(store.load().message(), notFoundMessage());
    EXPECT_EQ(store.append(0.5f).message(), notFoundMessage());
    EXPECT_TRUE(std::filesystem::is_directory(store.dataPath()));
}

} // namespace
} // namespace tovrel
