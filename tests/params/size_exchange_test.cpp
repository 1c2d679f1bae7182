// The width and height boxes answering each other under the proportion lock,
// for texts set by the program and for texts the user types.

#include "params/size_exchange.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovrel::test {
namespace {

struct Edit {
    bool width; // which box is set
    const char* text;
    bool typed = false;
};

struct Exchange {
    const char* name;
    float aspect;
    bool locked;
    std::vector<Edit> edits;
    const char* width;
    const char* height;
};

class SizeBoxes : public ::testing::TestWithParam<Exchange> {};

TEST_P(SizeBoxes, SettleAsTheHandlersLeaveThem) {
    const Exchange& c = GetParam();
    TextSizeBoxes boxes(c.aspect, c.locked);
    for (const Edit& edit : c.edits) {
        if (edit.width) {
            edit.typed ? boxes.typeWidth(edit.text) : boxes.setWidth(edit.text);
        } else {
            edit.typed ? boxes.typeHeight(edit.text) : boxes.setHeight(edit.text);
        }
    }
    EXPECT_EQ(boxes.width(), c.width);
    EXPECT_EQ(boxes.height(), c.height);
}

constexpr float k640x480 = 640.0f / 480.0f;

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeBoxes,
    ::testing::Values(
        Exchange{"WidthGivesHeight", k640x480, true, {{true, "20"}}, "20", "15"},
        Exchange{"ProposedWidth", k640x480, true, {{true, "22.57"}}, "22.57", "16.93"},
        Exchange{"HeightGivesWidth", k640x480, true, {{false, "15"}}, "20", "15"},
        // 500 x 1 = 500, cut to 300, and the height follows the cut width.
        Exchange{"HeightBeyondTheCap", 1.0f, true, {{false, "500"}}, "300", "300"},
        Exchange{"WidthBeyondTheCap", 1.0f, true, {{true, "301"}}, "300", "300"},
        Exchange{"UnlockedHeightStays", 1.0f, false, {{false, "301"}}, "宽cm", "301"},
        Exchange{"UnlockedWidthCut", 1.0f, false, {{true, "400"}, {false, "7"}}, "300", "7"},
        Exchange{"NoFrameYet", 0.0f, true, {{true, "400"}}, "400", "高cm"},
        Exchange{"LabelReadsZero", 2.0f, true, {{true, "宽"}}, "0", "0"},
        // 10 / 3 = 3.33; 3.33 x 3 = 9.99, and 9.99 / 3 = 3.33 again.
        Exchange{"RoundingMovesTheWidth", 3.0f, true, {{true, "10"}}, "9.99", "3.33"},
        // Typed texts stay as typed; only the other box follows.
        Exchange{"TypedWidthStays", 3.0f, true, {{true, "10", true}}, "10", "3.33"},
        Exchange{"TypedHeightStays", 1 / 3.0f, true, {{false, "10", true}}, "3.33", "10"},
        Exchange{"TypedKeyByKey",
                 301.0f / 221.0f,
                 true,
                 {{true, "1", true}, {true, "10", true}, {true, "100", true}},
                 "100",
                 "73.42"},
        Exchange{"TypedWithUnit", 2.0f, true, {{true, "20.0cm", true}}, "20.0cm", "10"},
        // Beyond the cap both boxes follow the capped width, typed or not.
        Exchange{"TypedWidthBeyondTheCap", 1.5f, true, {{true, "301", true}}, "300", "200"},
        Exchange{"TypedHeightBeyondTheCap", 1.0f, true, {{false, "500", true}}, "300", "300"},
        Exchange{"TypedHeightNoDouble", 2.0f, true, {{false, "1D308", true}}, "300", "150"},
        // A program's text after a typed one answers back again.
        Exchange{
            "SetAfterTyped", 3.0f, true, {{true, "10", true}, {false, "3.34"}}, "10.02", "3.34"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
