#pragma once
// The rule by which every box's text is read as a number.

#include <string>
#include <string_view>

namespace tovrel {

// Reads the number a text begins with. Blanks, tabs and line feeds are ignored
// wherever they stand; then an optional sign, digits with at most one point and
// an optional exponent (E or D, optional sign, digits), up to the first
// character that cannot continue the number. "&H" and "&O" read hexadecimal and
// octal digits. A text that does not begin with a number reads 0. An exponent
// beyond the double range gives an infinity (or 0 for tiny values), never an
// error: callers range-check what they read. Full-width digits, point, minus
// and plus and the ideographic full stop, as a Chinese input method types them,
// read as their ASCII counterparts (see asciiNumberText). A comma between two
// digits is a decimal point: "12,5" reads 12.5.
double leadingNumber(std::string_view text);

// Whether the leading-number rule finds a number at the start of text (after
// ignored blanks): a sign, a point and digits, or &H and &O with a digit.
// "12 cm" begins with one; "abc", "宽cm" and "" do not.
bool beginsWithNumber(std::string_view text);

// Whether text is a plain decimal number and nothing else: optional sign,
// digits with at most one point, optional exponent (E, optional sign, digits);
// full-width digits, point and signs count as their ASCII characters, and a
// comma between two digits as a point.
bool isPlainNumber(std::string_view text);
// The text (UTF-8) with full-width digits (U+FF10 to U+FF19), the full-width
// point (U+FF0E), minus (U+FF0D) and plus (U+FF0B) and the ideographic full
// stop (U+3002, a point) turned into their ASCII characters; all else as it is.
std::string asciiNumberText(std::string_view text);

} // namespace tovrel
