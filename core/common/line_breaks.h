#pragma once
// Long words made breakable, so that a message box or label can wrap a long
// path instead of growing past the screen or cutting it off.

#include <cstddef>
#include <string>
#include <string_view>

namespace tovrel {

// U+200B, the zero-width space: an invisible place where a line may break.
inline constexpr std::string_view kBreakHere = "\u200B";

// The UTF-8 text with a break opportunity after every "/", "\" and "_" of a
// word (a run without blanks or line ends) longer than `longest` characters,
// and after every `longest` characters of a stretch that is still longer.
// Shorter words are left as they are.
std::string withLineBreaks(std::string_view text, std::size_t longest);

} // namespace tovrel
