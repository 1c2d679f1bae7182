#include "params/resolution.h"

#include "common/leading_number.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(Resolution, ShowsPixelsPerInchToThreeDecimals) {
    const struct {
        const char* pitch;
        const char* sharpness;
        uint8_t views;
        const char* label;
    } cases[] = {
        {"0.254", "1 倍清晰", 2, "200 像素/英寸"},   {"0.508", "3 倍清晰", 2, "300 像素/英寸"},
        {"0.3", "2 倍清晰", 4, "677.333 像素/英寸"}, {"0.3", "20倍清晰", 4, "6773.333 像素/英寸"},
        {"3", "1", 2, "16.933 像素/英寸"},
    };
    for (const auto& c : cases) {
        const auto r = printResolution(leadingNumber(c.pitch), leadingNumber(c.sharpness), c.views);
        ASSERT_TRUE(r.has_value()) << c.label;
        EXPECT_EQ(resolutionLabel(r->pixelsPerInch), c.label);
    }
}

TEST(Resolution, StoresSinglePrecisionValuesInPixelsPerCentimetre) {
    const auto r = printResolution(0.3, 2, 4);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Pitch, 0.3f);
    EXPECT_EQ(r->Sharp, 2.0f);
    EXPECT_EQ(r->fbl, static_cast<float>(80 / static_cast<double>(0.3f)));
}

TEST(Resolution, NothingWithoutPitchSharpnessOrSecondPicture) {
    EXPECT_FALSE(printResolution(0, 2, 2));
    EXPECT_FALSE(printResolution(0.254, 0, 2));
    EXPECT_FALSE(printResolution(0.254, 2, 1));
    EXPECT_FALSE(printResolution(0.254, 2, 0));
    EXPECT_TRUE(printResolution(0.254, 2, 2));
}

TEST(Resolution, NothingWhenSinglePrecisionCannotHoldIt) {
    // 1e-50 is no 0 as a double but is one as a single: no division by it.
    EXPECT_FALSE(printResolution(1e-50, 2, 2));
    // 1e-40 is a tiny single whose resolution is beyond the single range.
    EXPECT_FALSE(printResolution(1e-40, 20, 4));
    // The smallest pitch whose resolution still fits shows as a plain number.
    const auto fine = printResolution(1e-6, 20, 4);
    ASSERT_TRUE(fine.has_value());
    EXPECT_TRUE(std::isfinite(fine->fbl));
    EXPECT_EQ(fine->fbl, 8e8f);
}

TEST(Resolution, RangesIncludeTheirEnds) {
    const struct {
        double v;
        bool pitchOk, sharpOk;
    } cases[] = {{-1, false, false}, {0, true, false},     {0.999, true, false},
                 {1, true, true},    {3, true, true},      {3.01, false, false},
                 {20, false, true},  {20.5, false, false}, {21, false, false},
                 {2.5, true, false}, {1.4, true, false},   {HUGE_VAL, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(pitchInRange(c.v), c.pitchOk) << c.v;
        EXPECT_EQ(sharpnessInRange(c.v), c.sharpOk) << c.v;
    }
}

TEST(Resolution, WhiteGapItemsFollowTheSharpness) {
    using Items = std::vector<std::string>;
    EXPECT_EQ(whiteGapItems(4), (Items{"1/4", "2/4", "3/4"}));
    EXPECT_EQ(whiteGapItems(2), (Items{"1/2"}));
    EXPECT_EQ(whiteGapItems(3), (Items{"1/3", "2/3"}));
    EXPECT_EQ(whiteGapItems(1), Items{});
    // A sharpness that is not whole is out of range: it offers nothing.
    EXPECT_EQ(whiteGapItems(1.4), Items{});
    EXPECT_EQ(whiteGapItems(2.5), Items{});
    EXPECT_EQ(whiteGapItems(3.5), Items{});
    EXPECT_EQ(whiteGapItems(20).size(), 19u);
    EXPECT_EQ(whiteGapItems(20).back(), "19/20");
}

} // namespace
} // namespace tovrel
