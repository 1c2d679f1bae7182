// File names with line breaks and unusual characters, each with the exact
// picked path, name-box text and proposed output name they give.

#include "job/file_pick.h"
#include "params/print_size.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrel {
namespace {

struct NameCase {
    const char* what;
    std::string folder, name;
    std::string path, shown, vertical;
};

const std::vector<NameCase>& names() {
    static const std::vector<NameCase> cases = {
        {"line feed", "/pics", "a\nb.bmp", "/pics/a\nb.bmp", "a\nb", "/pics/a\nb!.tif"},
        {"carriage return", "/pics", "a\rb.bmp", "/pics/a\rb.bmp", "a\rb", "/pics/a\rb!.tif"},
        {"tab and blanks", "/pics", " \ta .bmp", "/pics/ \ta .bmp", " \ta ", "/pics/ \ta !.tif"},
        {"extension only", "/pics", ".bmp", "/pics/.bmp", "", "/pics/!.tif"},
        {"extension twice", "/pics", "a.BMP.bmp", "/pics/a.BMP.bmp", "a.BMP", "/pics/a.BMP!.tif"},
        {"upper-case extension", "/", "CAT.BMP", "/CAT.BMP", "CAT", "/CAT!.tif"},
        {"emoji", "/pics", "😀.bmp", "/pics/😀.bmp", "😀", "/pics/😀!.tif"},
        {"combining accent", "/pics", "e\u0301.bmp", "/pics/e\u0301.bmp", "e\u0301",
         "/pics/e\u0301!.tif"},
        {"right-to-left mark", "/pics", "\u200fab.bmp", "/pics/\u200fab.bmp", "\u200fab",
         "/pics/\u200fab!.tif"},
        {"four Chinese characters", "/pics", "图片一张", "/pics/图片一张", "", "/pics/!.tif"},
        {"Chinese extension", "/图", "猫.图片格式", "/图/猫.图片格式", "猫.", "/图/猫.!.tif"},
        {"backslash", "/pics", "a\\b.bmp", "/pics/a\\b.bmp", "a\\b", "/pics/a\\b!.tif"},
        {"shell and format characters", "/pics", "\"%s$(x)`;'.bmp", "/pics/\"%s$(x)`;'.bmp",
         "\"%s$(x)`;'", "/pics/\"%s$(x)`;'!.tif"},
        {"already marked", "/pics", "cat!.bmp", "/pics/cat!.bmp", "cat!", "/pics/cat!!.tif"},
        {"line feed in the folder", "/we\nird", "x.bmp", "/we\nird/x.bmp", "x", "/we\nird/x!.tif"},
        {"folder with trailing slash", "/pics/", "x.bmp", "/pics/x.bmp", "x", "/pics/x!.tif"},
        {"longest name", "/p", std::string(251, 'a') + ".bmp",
         "/p/" + std::string(251, 'a') + ".bmp", std::string(251, 'a'),
         "/p/" + std::string(251, 'a') + "!.tif"},
    };
    return cases;
}

TEST(BadNameCatalogue, EachNameGivesItsExactPathsAndTexts) {
    for (const NameCase& c : names()) {
        SCOPED_TRACE(c.what);
        const std::string path = pickedPath(c.folder, c.name);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(withoutExtension(c.name), c.shown);
        EXPECT_EQ(proposedOutputPath(path, false), c.vertical);
        // The horizontal name differs only in its mark, and switching back
        // gives the vertical one again.
        const std::string horizontal = proposedOutputPath(path, true);
        EXPECT_EQ(horizontal, c.vertical.substr(0, c.vertical.size() - 5) + "-.tif");
        EXPECT_EQ(withDirectionMark(c.vertical, true), horizontal);
        EXPECT_EQ(withDirectionMark(horizontal, false), c.vertical);
    }
}

TEST(BadNameCatalogue, NamesWithoutTheMarkKeepTheirDirection) {
    for (const char* name : {"", "!.tif", "-.tif", "a.tif", "a!.TIF", "a!.tif\n", "a!.tiff"}) {
        EXPECT_EQ(withDirectionMark(name, true), name) << name;
        EXPECT_EQ(withDirectionMark(name, false), name) << name;
    }
}

} // namespace
} // namespace tovrel
