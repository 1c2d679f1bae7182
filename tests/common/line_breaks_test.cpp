#include "common/line_breaks.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(LineBreaks, OnlyLongWordsGetBreakOpportunities) {
    const std::string z(kBreakHere);
    const struct {
        const char* text;
        std::size_t longest;
        std::string broken;
    } cases[] = {{"无法打开 /a/b.tif", 10, "无法打开 /a/b.tif"},
                 {"/long/path/x.tif。", 10, "/" + z + "long/" + z + "path/" + z + "x.tif。"},
                 {"见 /长路径/子文件夹/图", 6, "见 /" + z + "长路径/" + z + "子文件夹/" + z + "图"},
                 {"abcdefgh", 3, "abc" + z + "def" + z + "gh"},
                 {"a_b\nabcdefgh_x", 4, "a_b\nabcd" + z + "efgh" + z + "_" + z + "x"},
                 {"abcd", 4, "abcd"},
                 {"", 4, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(withLineBreaks(c.text, c.longest), c.broken) << c.text;
    }
}

} // namespace
} // namespace tovrel
