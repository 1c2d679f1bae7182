#include "params/print_size.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(PrintSize, ProportionToHundredthsOfACentimetre) {
    EXPECT_DOUBLE_EQ(heightForWidth(20, 1.3333334f), 15);
    EXPECT_DOUBLE_EQ(widthForHeight(15, 1.3333334f), 20);
    EXPECT_DOUBLE_EQ(widthForHeight(500, 1.0f), 500);
    EXPECT_DOUBLE_EQ(heightForWidth(300, 1.0f), 300);
    EXPECT_DOUBLE_EQ(heightForWidth(22.57, 1.3333334f), 16.93);
    EXPECT_DOUBLE_EQ(heightForWidth(0.01, 4.0f), 0); // 0.0025 rounds to 0
}

TEST(PrintSize, DirectionMarkSwapsOnlyTheExactEnding) {
    const struct {
        const char* name;
        bool horizontal;
        const char* result;
    } cases[] = {
        {"a!.tif", true, "a-.tif"},
        {"a-.tif", false, "a!.tif"},
        {"a!.tif", false, "a!.tif"},
        {"a-.tif", true, "a-.tif"},
        {"!.tif", true, "!.tif"}, // just the ending: left alone
        {"-.tif", false, "-.tif"},
        {"a!.TIF", true, "a!.TIF"}, // case counts
        {"/pics/猫!.tif", true, "/pics/猫-.tif"},
        {"", true, ""},
        {"a!.tiff", true, "a!.tiff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withDirectionMark(c.name, c.horizontal), c.result) << c.name;
    }
}

} // namespace
} // namespace tovrel
