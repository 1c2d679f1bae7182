// Hostile texts typed into the number boxes, each with the exact number it
// reads as, and hostile anchors with the exact common frame they leave.

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "intake/common_frame.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tovrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string repeat(const std::string& s, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += s;
    }
    return out;
}

struct TextCase {
    const char* what;
    std::string text;
    double reads;
};

const std::vector<TextCase>& texts() {
    static const std::vector<TextCase> cases = {
        {"empty", "", 0},
        {"only blanks", " \t\n ", 0},
        {"anchor prompt", "X1", 0},
        {"pitch label", "栅距mm", 0},
        {"width label", "宽cm", 0},
        {"sharpness item", "3 倍清晰", 3},
        {"white-gap item", "1/4", 1},
        {"number with unit", "0.254mm", 0.254},
        {"ten thousand digits", "1" + repeat("0", 9999), kInf},
        {"five thousand nines, negative", "-" + repeat("9", 5000), -kInf},
        {"thousands of decimals", "0." + repeat("0", 5000) + "1", 0},
        {"thousands of leading zeros", repeat("0", 5000) + "7", 7},
        {"huge mantissa, tiny exponent", "1" + repeat("0", 400) + "E-400", 1},
        {"exponent just past the range", "1E309", kInf},
        {"negative exponent past the range", "-1E309", -kInf},
        {"D exponent", "1D308", 1e308},
        {"exponent below the range", "1E-400", 0},
        {"exponent into the subnormals", "1E-320", 1e-320},
        // The largest double written with 15 digits lies past the double range.
        {"largest double as written", "1.79769313486232E+308", kInf},
        {"exponent of twenty digits", "1E99999999999999999999", kInf},
        {"negative exponent of twenty digits", "1E-99999999999999999999", 0},
        {"exponent without digits", "2E", 2},
        {"exponent with a sign only", "2E+", 2},
        {"exponent followed by a letter", "2E-x", 2},
        {"exponent without a number", "E5", 0},
        {"point only", ".", 0},
        {"point first", ".5", 0.5},
        {"point last", "5.", 5},
        {"signed point first", "-.5", -0.5},
        {"two signs", "+-1", 0},
        {"double minus", "--1", 0},
        {"two points", "1.2.3", 1.2},
        {"adjacent points", "1..2", 1},
        {"decimal comma", "1,5", 1.5},
        {"comma after the digits", "15,", 15},
        {"digit group mark", "1_000", 1},
        {"hex prefix only", "&H", 0},
        {"hex", "&HFF", 255},
        {"hex lower case", "&hff", 255},
        {"octal", "&O777", 511},
        {"octal with a nine", "&O8", 0},
        {"three hundred hex digits", "&H" + repeat("F", 300), kInf},
        {"ampersand alone", "&", 0},
        {"unknown radix", "&Z1", 0},
        {"sign before a radix", "-&H10", 0},
        {"blanks between digits", "1 2 3", 123},
        {"tab and line feed inside", "1\t.\n5", 1.5},
        {"carriage return inside", "1\r5", 1},
        {"blanks around the sign", "  -  7", -7},
        {"full-width digits", "１２", 12},
        {"full-width point and minus", "－０．５", -0.5},
        {"ideographic full stop as the point", "３。５", 3.5},
        {"full-width letters", "Ｅ５", 0},
        {"a cut full-width digit", "1\xEF\xBC", 1},
        {"no-break space first", "\u00a07", 0},
        {"no-break space inside", "1\u00a02", 1},
        {"NaN", "NaN", 0},
        {"inf", "inf", 0},
        {"Infinity", "Infinity", 0},
        {"C hex", "0x1A", 0},
        {"lower-case exponent", "1e5", 100000},
        {"NUL inside",
         std::string("1\0"
                     "2",
                     3),
         1},
    };
    return cases;
}

TEST(BadTextCatalogue, EachTextReadsAsItsExactNumber) {
    ASSERT_GE(texts().size(), 30u);
    for (const TextCase& c : texts()) {
        // Bit for bit, so that 0 and -0 are told apart.
        EXPECT_EQ(std::bit_cast<uint64_t>(leadingNumber(c.text)), std::bit_cast<uint64_t>(c.reads))
            << c.what << ": " << leadingNumber(c.text);
    }
}

// Found by fuzzing: only doubles from 1.797693134862315E+308 up round to a
// 15-digit text past the double range; every smaller one reads back finite.
TEST(BadTextCatalogue, OnlyTheLargestDoublesReadBackAsInfinity) {
    EXPECT_EQ(formatDouble(DBL_MAX), "1.79769313486232E+308");
    EXPECT_EQ(leadingNumber(formatDouble(-DBL_MAX)), -kInf);
    const double below = std::nextafter(1.797693134862315e308, 0.0);
    EXPECT_EQ(formatDouble(below), "1.79769313486231E+308");
    EXPECT_EQ(leadingNumber(formatDouble(below)), 1.79769313486231e308);
}

TEST(BadTextCatalogue, NonNumbersInEveryAnchorBoxReadAsZero) {
    JobState job;
    const AnchorTexts x = {"X1", "abc", "栅距mm", "&"};
    const AnchorTexts y = {"Y1", "NaN", "", "-"};
    const SlotArray<double> offY = readAnchors(job, x, y);
    for (int i = 1; i <= kSlots; ++i) {
        EXPECT_EQ(std::bit_cast<uint32_t>(job.OffX(i)), 0u) << i;
        EXPECT_EQ(std::bit_cast<uint64_t>(offY(i)), 0u) << i;
    }
}

// Two pictures of 4 x 3 with slot 2's anchor at 0, 0 and slot 1's as typed.
struct FrameCase {
    const char* what;
    std::string x, y;
    bool found;
    int32_t BaseW, BaseH;
    bool inside;
};

const std::vector<FrameCase>& anchors() {
    static const std::vector<FrameCase> cases = {
        {"non-numbers", "宽", "高", true, 4, 3, true},
        {"beyond the single range", "1E39", "0", false, 0, 0, false},
        {"below the single range", "-1E39", "0", false, 0, 0, false},
        {"thousands of digits", "1" + repeat("0", 5000), "0", false, 0, 0, false},
        {"thousands of digits in Y", "0", "-" + repeat("9", 5000), false, 0, 0, false},
        {"largest hex", "&H7FFFFFFF", "0", false, 0, 0, false},
        {"past the width", "10", "0", false, -6, 3, false},
        {"past the height", "0", "7", false, 4, -4, false},
        {"on the right edge", "4", "0", false, 0, 3, false},
        {"half a pixel in", "0.5", "0", true, 4, 3, true},
        {"two and a half in", "2.5", "0", true, 2, 3, true},
        {"three and a half in", "3.5", "0", false, 0, 3, false},
        {"negative", "-2", "-1", true, 2, 2, true},
    };
    return cases;
}

TEST(BadTextCatalogue, HostileAnchorsLeaveTheExactFrame) {
    test::TempDir dir;
    // 4 x 3 pictures: 54 header bytes and 3 rows of 12 bytes.
    std::vector<unsigned char> bytes(90, 0);
    const unsigned char header[] = {'B', 'M', 90, 0, 0, 0, 0, 0, 0, 0, 54,   0,    0, 0,
                                    40,  0,   0,  0, 4, 0, 0, 0, 3, 0, 0,    0,    1, 0,
                                    24,  0,   0,  0, 0, 0, 0, 0, 0, 0, 0x13, 0x0B, 0, 0};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    test::writeFile(dir / "a.bmp", bytes);
    for (const FrameCase& c : anchors()) {
        SCOPED_TRACE(c.what);
        JobState job;
        job.ViewCount = 2;
        job.InPath(1) = job.InPath(2) = (dir / "a.bmp").string();
        const SlotArray<double> offY = readAnchors(job, {c.x, "0"}, {c.y, "0"});
        ASSERT_TRUE(readSlotHeader(job, 1) && readSlotHeader(job, 2));
        const CommonFrame frame = computeCommonFrame(job, offY);
        EXPECT_EQ(frame.found, c.found);
        EXPECT_EQ(job.BaseW, c.BaseW);
        EXPECT_EQ(job.BaseH, c.BaseH);
        EXPECT_EQ(frameInsidePictures(job), c.inside);
        if (!c.found) {
            EXPECT_EQ(job.Aspect, 0.0f);
        }
    }
}

} // namespace
} // namespace tovrel
