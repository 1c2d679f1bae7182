#include "common/leading_number.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

struct Case {
    const char* text;
    double expected;
};

TEST(LeadingNumber, ReadsTheNumberTheTextBeginsWith) {
    const Case cases[] = {
        // The examples the window depends on.
        Case{"3 倍清晰", 3}, Case{"12倍清晰", 12}, Case{"20倍清晰", 20}, Case{"1/4", 1},
        Case{"宽cm", 0}, Case{"栅距mm", 0}, Case{"栅距", 0}, Case{"清晰倍数", 0}, Case{"X1", 0},
        Case{"Y4", 0}, Case{"", 0}, Case{"  3.5", 3.5}, Case{"0.254mm", 0.254},
        // Blanks, tabs and line feeds are ignored wherever they stand.
        Case{"1 2 3", 123}, Case{"\t-\n4 .5", -4.5}, Case{"1 e 3", 1000},
        // A carriage return is not one of them: it ends the number.
        Case{"12\r3", 12},
        // Sign, point and exponent.
        Case{"-0.5", -0.5}, Case{"+7", 7}, Case{".5", 0.5}, Case{"5.", 5}, Case{"1.2.3", 1.2},
        Case{"1e3", 1000}, Case{"1E-2", 0.01}, Case{"2D2", 200}, Case{"2d+1", 20}, Case{"1e", 1},
        Case{"1e+", 1}, Case{"1ex", 1}, Case{"-", 0}, Case{".", 0}, Case{"+-1", 0}, Case{"--1", 0},
        Case{"e5", 0},
        // Hexadecimal and octal prefixes.
        Case{"&H1F", 31}, Case{"&hff", 255}, Case{"&O17", 15}, Case{"&o8", 0}, Case{"&H", 0},
        Case{"&12", 0}, Case{"& H 10", 16},
        // Full-width digits, point, minus and plus and the ideographic full
        // stop, as a Chinese input method types them, read as ASCII.
        Case{"３", 3}, Case{"０.５０８", 0.508}, Case{"０．５０８", 0.508},
        Case{"０。２５４", 0.254}, Case{"－１２", -12}, Case{"＋７", 7}, Case{"２０倍清晰", 20},
        Case{"１ ２", 12}, Case{"1２.5", 12.5}, Case{"１e２", 100}, Case{"&H１F", 31},
        Case{"。５", 0.5}, Case{"１。２。３", 1.2},
        // A comma between two digits is a decimal comma; elsewhere it ends the number.
        Case{"12,5", 12.5}, Case{"0,4233333", 0.4233333}, Case{"1 , 5", 1.5}, Case{"１２,５", 12.5},
        Case{"1,2,3", 1.2}, Case{"1.2,3", 1.2}, Case{",5", 0}, Case{"5,", 5}, Case{"1,e3", 1},
        Case{"1,5e2", 150}, Case{"-0,5cm", -0.5},
        // Other full-width characters are not number characters.
        Case{"Ｘ1", 0}, Case{"１，５", 1}, Case{"\xEF\xBC", 0}, Case{"1\xEF\xBC", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(leadingNumber(c.text), c.expected) << c.text;
    }
}

TEST(AsciiNumberText, TurnsOnlyTheFullWidthNumberCharactersIntoAscii) {
    const std::pair<const char*, const char*> cases[] = {{"０１２３４５６７８９", "0123456789"},
                                                         {"－＋．。", "-+.."},
                                                         {"宽cm", "宽cm"},
                                                         {"Ｘ１", "Ｘ1"},
                                                         {"\xEF\xBC\x90\xEF", "0\xEF"},
                                                         {"", ""}};
    for (const auto& [text, ascii] : cases) {
        EXPECT_EQ(asciiNumberText(text), ascii) << text;
    }
}

TEST(LeadingNumber, ExtremeTextsStayFiniteOrSaturate) {
    EXPECT_TRUE(std::isinf(leadingNumber("1e999999")));
    EXPECT_GT(leadingNumber("1e999999"), 0);
    EXPECT_LT(leadingNumber("-1e999999"), 0);
    EXPECT_EQ(leadingNumber("1e-999999"), 0);
    const std::string thousandDigits(4000, '9');
    EXPECT_TRUE(std::isinf(leadingNumber(thousandDigits)));
    EXPECT_DOUBLE_EQ(leadingNumber("0." + thousandDigits), 1.0);
    EXPECT_EQ(leadingNumber("1e" + std::string(5000, '9')), HUGE_VAL);
}

TEST(BeginsWithNumber, WhereTheRuleFindsDigitsAtTheStart) {
    const std::pair<const char*, bool> cases[] = {
        {"12", true},   {" 2.5cm", true}, {"-.5", true},  {"0", true},     {"３", true},
        {"&H1F", true}, {"&o7", true},    {"abc", false}, {"宽cm", false}, {"", false},
        {"  ", false},  {"-", false},     {".", false},   {"+-1", false},  {"e5", false},
        {"&H", false},  {"&o8", false},   {"Ｘ1", false}};
    for (const auto& [text, begins] : cases) {
        EXPECT_EQ(beginsWithNumber(text), begins) << text;
    }
}

} // namespace
} // namespace tovrel
