#include "params/pitch_store.h"

#include "common/leading_number.h"
#include "common/rounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tovrel {
namespace {

TEST(PitchItemText, IsTheGeneralFormatOfTheFloat) {
    const struct {
        float entry;
        const char* text;
    } cases[] = {
        {0.254f, "0.254"},          {1.0f, "1"},
        {toSingle(0.3), "0.3"},     {toSingle(25.4 / 75), "0.3386667"},
        {0.12345678f, "0.1234568"}, {12.5f, "12.5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pitchItemText(c.entry), c.text) << c.text;
    }
}

// A float with more digits than the list shows: its item text reads back as
// a different float.
constexpr float kLongPitch = 0.12345678f;
constexpr float kShownPitch = 0.1234568f;

TEST(PitchListed, TheExampleValuesReallyDiffer) {
    ASSERT_NE(kLongPitch, kShownPitch);
    ASSERT_EQ(toSingle(leadingNumber(pitchItemText(kLongPitch))), kShownPitch);
}

TEST(PitchListed, MatchesByItemTextOrByStoredValue) {
    const struct {
        const char* name;
        std::vector<float> entries;
        float pitch;
        bool listed;
    } cases[] = {
        {"empty list", {}, 0.254f, false},
        {"same value", {0.5f, 0.254f}, 0.254f, true},
        {"other values only", {0.5f, 1.27f}, 0.254f, false},
        {"text of the entry reads as the pitch", {kLongPitch}, kShownPitch, true},
        {"stored value equals a pitch the text cannot show", {kLongPitch}, kLongPitch, true},
        {"text and value both differ", {kShownPitch}, kLongPitch, false},
        {"pitch read from a typed 0.3", {toSingle(0.3)}, toSingle(leadingNumber("0.3")), true},
        {"neighbouring float", {0.5f}, std::nextafter(0.5f, 1.0f), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pitchListed(c.entries, c.pitch), c.listed) << c.name;
    }
}

} // namespace
} // namespace tovrel
