// The leading-number rule, the general number formats and the rounding
// helpers on any values and texts.
//
// Input: 8 bytes of a double, 4 bytes of a float, a byte choosing where blanks
// are slipped into the text, then the text itself (the rest).

#include "fuzz/fuzz_support.h"

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>

namespace tovrel::fuzz {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The general format's shape: an optional sign, digits with no trailing zeros
// after a point and no trailing point, a 0 before the point of values below
// 1, at most `digits` significant digits, and an exponent only beyond the
// plain range.
void checkFormatShape(const std::string& text, int digits) {
    std::string body = text[0] == '-' ? text.substr(1) : text;
    const std::size_t e = body.find('E');
    std::string mantissa = body.substr(0, e);
    FUZZ_CHECK(!mantissa.empty() && isDigit(mantissa[0]) && isDigit(mantissa.back()));
    FUZZ_CHECK(mantissa.find_first_not_of("0123456789.") == std::string::npos);
    const std::size_t point = mantissa.find('.');
    if (point != std::string::npos) {
        FUZZ_CHECK(mantissa.back() != '0');
        FUZZ_CHECK(mantissa.find('.', point + 1) == std::string::npos);
    }
    if (mantissa.size() > 1 && point != 1) {
        FUZZ_CHECK(mantissa[0] != '0');
    }
    int significant = 0;
    bool leading = true;
    for (char c : mantissa) {
        if (isDigit(c) && !(leading && c == '0')) {
            leading = false;
            ++significant;
        }
    }
    FUZZ_CHECK(significant <= digits);
    if (e != std::string::npos) {
        FUZZ_CHECK(point == std::string::npos || point == 1);
        const std::string exponent = body.substr(e + 1);
        FUZZ_CHECK(exponent.size() >= 3 && (exponent[0] == '+' || exponent[0] == '-'));
    }
}

// Written and read back, a value moves by at most half a unit of its last
// shown digit; written again, it gives the same text.
void checkDouble(double v) {
    if (!std::isfinite(v)) {
        return;
    }
    const std::string text = formatDouble(v);
    checkFormatShape(text, 15);
    const double back = leadingNumber(text);
    if (std::isinf(back)) {
        // Only the largest doubles round up to 15 digits past the double range.
        FUZZ_CHECK(std::fabs(v) >= 1.797693134862315e308);
        return;
    }
    // Half a unit of the 15th digit, plus the rounding of the read to a double.
    FUZZ_CHECK(std::fabs(back - v) <= std::fabs(v) * (5e-15 + 2.3e-16));
    FUZZ_CHECK(formatDouble(back) == text);
    FUZZ_CHECK(formatDouble(-v) == (v == 0 ? "0" : (v < 0 ? text.substr(1) : "-" + text)));
}

void checkSingle(float f) {
    if (!std::isfinite(f)) {
        return;
    }
    const std::string text = formatSingle(f);
    checkFormatShape(text, 7);
    const double back = leadingNumber(text);
    FUZZ_CHECK(std::fabs(back - double{f}) <= std::fabs(double{f}) * 5.0000001e-7);
    FUZZ_CHECK(formatSingle(toSingle(back)) == text);
}

void checkRounding(double x) {
    const double r = roundHalfEven(x);
    if (!std::isfinite(x)) {
        FUZZ_CHECK(std::isnan(x) ? std::isnan(r) : r == x);
        FUZZ_CHECK(!roundToLong(x) && !floorToLong(x) && !truncToLong(x));
        return;
    }
    // Under the default rounding mode nearbyint rounds halves to even.
    FUZZ_CHECK(r == std::nearbyint(x));
    FUZZ_CHECK(std::fabs(r - x) <= 0.5);
    FUZZ_CHECK(roundHalfEven(-x) == -r);
    const bool fits = r >= INT32_MIN && r <= INT32_MAX;
    FUZZ_CHECK(roundToLong(x).has_value() == fits);
    if (fits) {
        FUZZ_CHECK(*roundToLong(x) == r);
    }
    const double down = std::floor(x), toward = std::trunc(x);
    FUZZ_CHECK(floorToLong(x).has_value() == (down >= INT32_MIN && down <= INT32_MAX));
    FUZZ_CHECK(truncToLong(x).has_value() == (toward >= INT32_MIN && toward <= INT32_MAX));
    if (floorToLong(x)) {
        FUZZ_CHECK(*floorToLong(x) == down);
    }
    if (truncToLong(x)) {
        FUZZ_CHECK(*truncToLong(x) == toward);
    }
    const float single = toSingle(x);
    if (std::fabs(x) <= FLT_MAX) {
        FUZZ_CHECK(single == static_cast<float>(x));
    } else {
        FUZZ_CHECK(std::isinf(single) || std::fabs(single) == FLT_MAX);
        FUZZ_CHECK(std::signbit(single) == std::signbit(x));
    }
    const double hundredths = roundToDecimals(x, 2);
    if (std::fabs(x) < 1e12) {
        FUZZ_CHECK(std::fabs(hundredths - x) <= 0.005 + std::fabs(x) * 1e-15);
    }
}

char blankAt(std::size_t i) {
    static const char blanks[] = {' ', '\t', '\n'};
    return blanks[i % 3];
}

// The text with its ASCII digits, point and signs typed full-width, as a
// Chinese input method gives them (the point as the ideographic full stop
// when odd is set).
std::string fullWidth(const std::string& text, bool odd) {
    std::string out;
    for (char c : text) {
        if (isDigit(c)) {
            out += "\xEF\xBC";
            out.push_back(static_cast<char>(0x90 + (c - '0')));
        } else if (c == '.') {
            out += odd ? "\xE3\x80\x82" : "\xEF\xBC\x8E";
        } else if (c == '-') {
            out += "\xEF\xBC\x8D";
        } else if (c == '+') {
            out += "\xEF\xBC\x8B";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void checkLeadingNumber(const std::string& typed, uint8_t spread) {
    const double typedValue = leadingNumber(typed);
    // Full-width characters read as their ASCII counterparts, in either form.
    const std::string text = asciiNumberText(typed);
    const double value = leadingNumber(text);
    FUZZ_CHECK(std::bit_cast<uint64_t>(typedValue) == std::bit_cast<uint64_t>(value));
    FUZZ_CHECK(std::bit_cast<uint64_t>(leadingNumber(fullWidth(text, spread & 1))) ==
               std::bit_cast<uint64_t>(value));
    FUZZ_CHECK(!std::isnan(value));

    // Blanks, tabs and line feeds are ignored wherever they stand.
    std::string spaced;
    const std::size_t every = 1 + spread % 7;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % every == 0) {
            spaced.push_back(blankAt(i + spread));
        }
        spaced.push_back(text[i]);
    }
    const double spacedValue = leadingNumber(spaced);
    FUZZ_CHECK(std::bit_cast<uint64_t>(spacedValue) == std::bit_cast<uint64_t>(value));

    // A comma between two digits reads as the point it stands for.
    if (const std::size_t point = text.find('.');
        point != std::string::npos && point > 0 && point + 1 < text.size() &&
        isDigit(text[point - 1]) && isDigit(text[point + 1])) {
        std::string comma = text;
        comma[point] = ',';
        FUZZ_CHECK(std::bit_cast<uint64_t>(leadingNumber(comma)) == std::bit_cast<uint64_t>(value));
    }

    // A number that ends before a character that cannot continue it is the
    // same with anything after that character.
    FUZZ_CHECK(leadingNumber(text + "x" + text) == value);

    // A sign in front negates a number that starts with a digit or point.
    std::size_t first = 0;
    while (first < text.size() &&
           (text[first] == ' ' || text[first] == '\t' || text[first] == '\n')) {
        ++first;
    }
    if (first < text.size() && (isDigit(text[first]) || text[first] == '.')) {
        FUZZ_CHECK(leadingNumber("-" + text) == -value);
        FUZZ_CHECK(leadingNumber("+" + text) == value);
    }
    // A text that starts with nothing a number can start with reads 0.
    if (first == text.size() ||
        std::string("0123456789.+-&").find(text[first]) == std::string::npos) {
        FUZZ_CHECK(value == 0);
    }
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tovrel::fuzz;
    FuzzInput in(data, size);
    const double v = std::bit_cast<double>(in.u64());
    const float f = std::bit_cast<float>(in.u32());
    const uint8_t spread = in.byte();
    const std::string text(in.rest());

    checkDouble(v);
    checkSingle(f);
    checkRounding(v);
    checkRounding(double{f});
    checkLeadingNumber(text, spread);
    // Texts the program writes read back as what was written.
    checkDouble(tovrel::leadingNumber(text));
    return 0;
}
