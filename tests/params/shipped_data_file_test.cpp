#include "params/pitch_store.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "tests/params/data_file_maker.h"
#include "tests/render/tiff_reader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(ShippedDataFile, ListsTheCommonLensSheets) {
    const PitchStore store(test::shippedDataFile().parent_path());
    ASSERT_EQ(store.dataPath(), test::shippedDataFile());
    const auto entries = store.load();
    ASSERT_TRUE(entries.isOk()) << entries.message();
    std::vector<std::string> texts;
    for (float e : entries.value()) {
        texts.push_back(pitchItemText(e));
        // Picking an item gives exactly the stored value.
        EXPECT_EQ(toSingle(leadingNumber(pitchItemText(e))), e) << pitchItemText(e);
    }
    // 100, 75, 60, 50, 40, 30 and 20 lenses per inch.
    const std::vector<std::string> expected = {"0.254", "0.3386667", "0.4233333", "0.508",
                                               "0.635", "0.8466667", "1.27"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(test::readFile(store.dataPath()).size(), kTemplateSize + 4 * expected.size());
}

TEST(ShippedDataFile, IsItselfATiffThatLibtiffReadsWithoutComplaint) {
    // The template alone describes a 1 x 1 RGB image at 1448.
    const auto tiff = test::readTiff(test::shippedDataFile(), true);
    ASSERT_TRUE(tiff.opened);
    EXPECT_EQ(tiff.complaints, std::vector<std::string>{});
    EXPECT_EQ(tiff.width, 1u);
    EXPECT_EQ(tiff.height, 1u);
    EXPECT_EQ(tiff.stripOffset, kTemplateSize);
    EXPECT_EQ(tiff.stripByteCount, 3u);
    EXPECT_EQ(tiff.rows.size(), 1u);
}

TEST(ShippedDataFile, TemplateIsLittleEndianWithTheFirstDirectoryAt8) {
    const auto bytes = test::readFile(test::shippedDataFile());
    ASSERT_GE(bytes.size(), kTemplateSize);
    const std::vector<unsigned char> head(bytes.begin(), bytes.begin() + 8);
    EXPECT_EQ(head, (std::vector<unsigned char>{0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00}));
}

} // namespace
} // namespace tovrel
