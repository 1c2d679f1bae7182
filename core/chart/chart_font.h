#pragma once
// Text for the pitch chart, set with FreeType: a font at a size chosen so
// that digits reach a given height, glyphs rendered once and shared by every
// line of text, and lines drawn one pixel row or column at a time, so a chart
// of any length never holds more than its glyphs.

#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tovrel {

// The font file the chart is set in: one of the CJK fonts the program needs
// for its window anyway.
std::filesystem::path chartFontFile();

struct Glyph {
    int left = 0;                  // from the pen to the first column
    int top = 0;                   // from the baseline up to the first row
    int width = 0;                 // columns
    int rows = 0;                  // rows
    int advance = 0;               // pen movement, whole pixels
    std::vector<uint8_t> coverage; // rows * width, 0 white to 255 ink
};

// A line of text laid out: each glyph with its column, and the line's box.
struct TextLine {
    struct Placed {
        const Glyph* glyph;
        int x; // first column of the glyph within the line
    };
    std::vector<Placed> glyphs;
    int width = 0;  // columns of the box
    int ascent = 0; // rows above the baseline; the box is ascent + descent rows
    int descent = 0;
    int height() const { return ascent + descent; }
};

class ChartFont {
  public:
    // Opens file at the smallest size whose digit 0 is at least digitRows
    // pixels tall in ink (pixels at least half covered).
    static Result<std::unique_ptr<ChartFont>> open(const std::filesystem::path& file,
                                                   int digitRows);
    ~ChartFont();
    ChartFont(const ChartFont&) = delete;
    ChartFont& operator=(const ChartFont&) = delete;

    // text: UTF-8. The box's ascent and descent are the font's own, so every
    // line of one font has the same height.
    Result<TextLine> layout(const std::string& text);

  private:
    struct Face;
    explicit ChartFont(std::unique_ptr<Face> face);
    Result<const Glyph*> glyph(char32_t c);

    std::unique_ptr<Face> face_;
    std::map<char32_t, Glyph> glyphs_;
};

// Darkens row `row` of a line's box (0 = its top) into grey, whose element 0
// lies under column `at` of the box. Columns outside grey are cut off.
void drawTextRow(const TextLine& line, int row, std::span<uint8_t> grey, int64_t at);

// The same for the line turned a quarter turn anticlockwise (it reads from
// bottom to top): the pixels of the line's column `column` land in grey, the
// top of the box at element `at`.
void drawTextColumn(const TextLine& line, int column, std::span<uint8_t> grey, int64_t at);

} // namespace tovrel
