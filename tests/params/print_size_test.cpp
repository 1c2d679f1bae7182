#include "params/print_size.h"

#include <cmath>
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

TEST(PrintSize, OnlyWidthsAboveTheCapAreCapped) {
    EXPECT_EQ(cappedWidthText(300.01), "300");
    EXPECT_EQ(cappedWidthText(HUGE_VAL), "300");
    EXPECT_EQ(cappedWidthText(1e300), "300");
    EXPECT_FALSE(cappedWidthText(300));
    EXPECT_FALSE(cappedWidthText(-HUGE_VAL));
    EXPECT_FALSE(cappedWidthText(0));
}

TEST(PrintSize, ProportionTextsAreAlwaysReadableNumbers) {
    const struct {
        double size;
        float aspect;
        std::optional<std::string> height; // for the size as a width
        std::optional<std::string> width;  // for the size as a height
    } cases[] = {
        {20, 1.3333334f, "15", "26.67"},
        {500, 1.0f, "500", "500"},
        {-3, 2.0f, "-1.5", "-6"},
        {300, 1.0f / 2147483648.0f, "644245094400", "0"},
        {1e307, 1.0f, "1E+307", "1E+307"}, // a hundred times it is no double
        {-1e307, 1.0f, "-1E+307", "-1E+307"},
        {1e308, 2.0f, "5E+307", "300"},        // twice it is above every double
        {HUGE_VAL, 1.0f, std::nullopt, "300"}, // above the cap like any large width
        {-HUGE_VAL, 1.0f, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(heightTextForWidth(c.size, c.aspect), c.height) << c.size;
        EXPECT_EQ(widthTextForHeight(c.size, c.aspect), c.width) << c.size;
    }
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
