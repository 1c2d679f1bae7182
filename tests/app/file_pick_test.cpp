#include "job/file_pick.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(FilePick, PathJoinsFolderAndName) {
    EXPECT_EQ(pickedPath("/", "a.bmp"), "/a.bmp");
    EXPECT_EQ(pickedPath("/pics", "a.bmp"), "/pics/a.bmp");
    EXPECT_EQ(pickedPath("/pics/", "a.bmp"), "/pics/a.bmp");
    EXPECT_EQ(pickedPath("/我的 图片", "猫 1.bmp"), "/我的 图片/猫 1.bmp");
}

TEST(FilePick, NameLosesItsLastFourCharacters) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"cat.bmp", "cat"}, {"CAT.BMP", "CAT"}, {"猫.bmp", "猫"},     {"a.b.bmp", "a.b"},
                 {".bmp", ""},       {"bmp", ""},        {"猫猫.BmP", "猫猫"}, {"", ""},
                 {"图片猫的", ""},   {"x图片猫的", "x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(withoutExtension(c.in), c.out) << c.in;
    }
}

TEST(FilePick, OutputNameMarksTheDirection) {
    EXPECT_EQ(proposedOutputPath("/pics/cat.bmp", false), "/pics/cat!.tif");
    EXPECT_EQ(proposedOutputPath("/pics/cat.bmp", true), "/pics/cat-.tif");
    EXPECT_EQ(proposedOutputPath("/pics/CAT.BMP", false), "/pics/CAT!.tif");
    EXPECT_EQ(proposedOutputPath("/图片/猫.bmp", false), "/图片/猫!.tif");
}

} // namespace
} // namespace tovrel
