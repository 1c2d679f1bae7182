#include "common/rounding.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    const struct {
        double in, out;
    } cases[] = {{0.5, 0},          {1.5, 2},
                 {2.5, 2},          {3.5, 4},
                 {-0.5, 0},         {-1.5, -2},
                 {-2.5, -2},        {0.49999999999999994, 0},
                 {2.5000000001, 3}, {1692.7499, 1693},
                 {2257.4956, 2257}, {4503599627370497.0, 4503599627370497.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
    }
}

TEST(Rounding, ToDecimalsMultipliesRoundsAndDivides) {
    EXPECT_DOUBLE_EQ(roundToDecimals(20.0 / 1.3333334f, 2), 15.0);
    EXPECT_DOUBLE_EQ(roundToDecimals(200.0 * 2.54 * 1.3333334f, 3), 677.333);
    EXPECT_DOUBLE_EQ(roundToDecimals(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(roundToDecimals(0.375, 2), 0.38);
}

TEST(Rounding, DecimalsOfNumbersTooLargeToScaleStayFinite) {
    EXPECT_EQ(roundToDecimals(1e307, 2), 1e307);
    EXPECT_EQ(roundToDecimals(-1.7e308, 3), -1.7e308);
    EXPECT_EQ(roundToDecimals(HUGE_VAL, 2), HUGE_VAL);
    EXPECT_EQ(roundToDecimals(-HUGE_VAL, 2), -HUGE_VAL);
}

TEST(Rounding, WholeNumberConversionsRefuseWhatDoesNotFit) {
    EXPECT_EQ(roundToLong(2.5), 2);
    EXPECT_EQ(floorToLong(-0.5), -1);
    EXPECT_EQ(truncToLong(-0.5), 0);
    EXPECT_EQ(truncToLong(2147483647.9), 2147483647);
    EXPECT_EQ(floorToLong(-2147483648.5), std::nullopt);
    EXPECT_EQ(roundToLong(2147483647.5), std::nullopt);
    EXPECT_EQ(roundToLong(-2147483648.5), -2147483648); // half to even
    EXPECT_EQ(floorToLong(HUGE_VAL), std::nullopt);
    EXPECT_EQ(truncToLong(NAN), std::nullopt);
}

TEST(Rounding, SingleConversionRoundsToNearestAndSaturates) {
    EXPECT_EQ(toSingle(0.3), 0.3f);
    EXPECT_EQ(toSingle(1e300), HUGE_VALF);
    EXPECT_EQ(toSingle(-1e300), -HUGE_VALF);
    EXPECT_EQ(toSingle(static_cast<double>(FLT_MAX)), FLT_MAX);
}

} // namespace
} // namespace tovrel
