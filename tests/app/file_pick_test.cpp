#include "job/file_pick.h"
#include "job/output_name.h"

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

TEST(OutputName, RelativeNamesLieInTheShownFolderControlCharactersAreRefused) {
    const struct {
        const char* text;
        const char* path; // nullptr: refused with the message
        const char* says;
    } cases[] = {{"/pics/cat!.tif", "/pics/cat!.tif", ""},
                 {"cat!.tif", "/shown/cat!.tif", ""},
                 {"sub/猫 1.tif", "/shown/sub/猫 1.tif", ""},
                 {"../out.tif", "/shown/../out.tif", ""},
                 {"cat\n.tif", nullptr, "控制字符"},
                 {"/pics/cat\t!.tif", nullptr, "控制字符"},
                 {"cat!.tif\r", nullptr, "控制字符"},
                 {"a\x7F.tif", nullptr, "控制字符"},
                 {"", nullptr, "请输入输出文件名"}};
    for (const auto& c : cases) {
        const Result<std::string> path = outputPathFor(c.text, "/shown");
        ASSERT_EQ(path.isOk(), c.path != nullptr) << c.text;
        if (c.path != nullptr) {
            EXPECT_EQ(path.value(), c.path);
        } else {
            EXPECT_NE(path.message().find(c.says), std::string::npos) << c.text;
        }
    }
    EXPECT_EQ(outputPathFor("a.tif", "/").value(), "/a.tif");
}

} // namespace
} // namespace tovrel
