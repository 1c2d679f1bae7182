#include "common/leading_number.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <utility>

namespace tovrel {

namespace {

bool ignorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A comma between two digits is a decimal comma ("12,5" is 12.5), as many
// users type the point.
std::string withDecimalCommas(std::string text) {
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == ',' && isDigit(text[i - 1]) && isDigit(text[i + 1])) {
            text[i] = '.';
        }
    }
    return text;
}

// The text with full-width characters in ASCII, every ignorable character
// removed and decimal commas as points, so the scanner below can look at one
// character after another.
std::string compact(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : asciiNumberText(text)) {
        if (!ignorable(c)) {
            out.push_back(c);
        }
    }
    return withDecimalCommas(std::move(out));
}

int digitValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

double radixNumber(const std::string& s, size_t pos, int radix) {
    double value = 0;
    for (; pos < s.size() && digitValue(s[pos]) < radix; ++pos) {
        value = value * radix + digitValue(s[pos]);
    }
    return value;
}

// strtod in the "C" locale: the point is always ".", whatever locale the
// program runs in.
double parseDecimal(const std::string& clean) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(clean.c_str(), nullptr, cLocale);
}

// The ASCII character of the three UTF-8 bytes at text[i], or 0.
char asciiOf(std::string_view text, std::size_t i) {
    if (i + 2 >= text.size()) {
        return 0;
    }
    const auto b0 = static_cast<unsigned char>(text[i]);
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    const auto b2 = static_cast<unsigned char>(text[i + 2]);
    if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x82) {
        return '.'; // U+3002 ideographic full stop
    }
    if (b0 != 0xEF || b1 != 0xBC) {
        return 0;
    }
    if (b2 >= 0x90 && b2 <= 0x99) {
        return static_cast<char>('0' + (b2 - 0x90)); // U+FF10..U+FF19
    }
    switch (b2) {
    case 0x8E: // U+FF0E
        return '.';
    case 0x8D: // U+FF0D
        return '-';
    case 0x8B: // U+FF0B
        return '+';
    default:
        return 0;
    }
}

} // namespace

std::string asciiNumberText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const char ascii = asciiOf(text, i); ascii != 0) {
            out.push_back(ascii);
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

double leadingNumber(std::string_view text) {
    const std::string s = compact(text);
    size_t i = 0;
    if (i < s.size() && s[i] == '&') {
        if (i + 1 < s.size() && (s[i + 1] == 'H' || s[i + 1] == 'h')) {
            return radixNumber(s, i + 2, 16);
        }
        if (i + 1 < s.size() && (s[i + 1] == 'O' || s[i + 1] == 'o')) {
            return radixNumber(s, i + 2, 8);
        }
        return 0;
    }
    std::string clean;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        clean.push_back(s[i++]);
    }
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            digits = true;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        clean.push_back(s[i]);
    }
    if (!digits) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent.push_back(s[j++]);
        }
        const size_t firstDigit = j;
        while (j < s.size() && isDigit(s[j])) {
            exponent.push_back(s[j++]);
        }
        if (j > firstDigit) {
            clean += exponent;
        }
    }
    return parseDecimal(clean);
}

namespace {

bool digitsAt(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    return at > start;
}

} // namespace

bool isPlainNumber(std::string_view typed) {
    const std::string text = withDecimalCommas(asciiNumberText(typed));
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    bool digits = digitsAt(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits = digitsAt(text, at) || digits;
    }
    if (!digits) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        if (!digitsAt(text, at)) {
            return false;
        }
    }
    return at == text.size();
}

bool beginsWithNumber(std::string_view text) {
    const std::string s = compact(text);
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        return s.size() > 2 && digitValue(s[2]) < 16;
    }
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o')) {
        return s.size() > 2 && digitValue(s[2]) < 8;
    }
    std::size_t at = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    if (at < s.size() && s[at] == '.') {
        ++at;
    }
    return at < s.size() && isDigit(s[at]);
}

} // namespace tovrel
