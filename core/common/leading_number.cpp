#include "common/leading_number.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace tovrel {

namespace {

bool ignorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text with every ignorable character removed, so the scanner below can
// look at one character after another.
std::string compact(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!ignorable(c)) {
            out.push_back(c);
        }
    }
    return out;
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

} // namespace

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

bool isPlainNumber(std::string_view text) {
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

} // namespace tovrel
