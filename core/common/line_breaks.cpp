#include "common/line_breaks.h"

#include <vector>

namespace tovrel {

namespace {

bool endsWord(std::string_view ch) {
    return ch == " " || ch == "\n" || ch == "\r" || ch == "\t" || ch == kBreakHere;
}

bool breaksAfter(std::string_view ch) {
    return ch == "/" || ch == "\\" || ch == "_";
}

// The text cut into its UTF-8 characters.
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= text.size(); ++i) {
        if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            out.push_back(text.substr(start, i - start));
            start = i;
        }
    }
    return out;
}

void appendWord(std::string& out, const std::vector<std::string_view>& word, std::size_t longest) {
    const bool tooLong = word.size() > longest;
    std::size_t stretch = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        out += word[i];
        ++stretch;
        const bool last = i + 1 == word.size();
        if (tooLong && !last && (breaksAfter(word[i]) || stretch >= longest)) {
            out += kBreakHere;
            stretch = 0;
        }
    }
}

} // namespace

std::string withLineBreaks(std::string_view text, std::size_t longest) {
    std::string out;
    std::vector<std::string_view> word;
    for (std::string_view ch : characters(text)) {
        if (endsWord(ch)) {
            appendWord(out, word, longest);
            word.clear();
            out += ch;
        } else {
            word.push_back(ch);
        }
    }
    appendWord(out, word, longest);
    return out;
}

} // namespace tovrel
