#include "chart/chart_font.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace tovrel {

namespace {

// The next character of UTF-8 text; U+FFFD for a malformed sequence.
char32_t nextCharacter(const std::string& text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at++);
    int more = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0) {
        return 0xFFFD;
    }
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (; more > 0; --more) {
        if (at >= text.size() || (byte(at) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        c = c << 6 | (byte(at++) & 0x3F);
    }
    return c;
}

int inkRows(const FT_Bitmap& bitmap) {
    int rows = 0;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* row = bitmap.buffer + std::ptrdiff_t(r) * bitmap.pitch;
        rows += std::any_of(row, row + bitmap.width, [](unsigned char v) { return v >= 128; });
    }
    return rows;
}

int pixels(FT_Pos value26_6) {
    return static_cast<int>((value26_6 + 63) >> 6);
}

} // namespace

std::filesystem::path chartFontFile() {
    // The CJK fonts the package depends on, the first one present.
    const std::filesystem::path fonts[] = {
        "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"};
    std::error_code ec;
    for (const auto& font : fonts) {
        if (std::filesystem::is_regular_file(font, ec)) {
            return font;
        }
    }
    return fonts[0];
}

struct ChartFont::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Face() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

ChartFont::ChartFont(std::unique_ptr<Face> face) : face_(std::move(face)) {}

ChartFont::~ChartFont() = default;

Result<std::unique_ptr<ChartFont>> ChartFont::open(const std::filesystem::path& file,
                                                   int digitRows) {
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0 ||
        FT_New_Face(face->library, file.c_str(), 0, &face->face) != 0) {
        return Status::fail("无法读取字体文件 " + file.string() +
                            "，写不出测试图的文字。请安装 fonts-wqy-zenhei。");
    }
    // Digits take about three quarters of the em; grow the em from there
    // until the digit 0 has ink (pixels at least half covered) in as many
    // rows as asked for.
    const FT_UInt start = static_cast<FT_UInt>(std::max(1, digitRows * 4 / 3));
    for (FT_UInt em = start; em < start * 2 + 8; ++em) {
        if (FT_Set_Pixel_Sizes(face->face, 0, em) != 0 ||
            FT_Load_Char(face->face, U'0', FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0) {
            break;
        }
        if (inkRows(face->face->glyph->bitmap) >= digitRows) {
            return std::unique_ptr<ChartFont>(new ChartFont(std::move(face)));
        }
    }
    return Status::fail("字体文件 " + file.string() + " 无法在需要的大小上显示数字。");
}

Result<const Glyph*> ChartFont::glyph(char32_t c) {
    if (const auto found = glyphs_.find(c); found != glyphs_.end()) {
        return &found->second;
    }
    FT_Face face = face_->face;
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return Status::fail("字体文件无法显示测试图的文字。");
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    Glyph g;
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.width = static_cast<int>(bitmap.width);
    g.rows = static_cast<int>(bitmap.rows);
    g.advance = static_cast<int>(std::lround(face->glyph->advance.x / 64.0));
    g.coverage.resize(std::size_t(g.width) * std::size_t(g.rows));
    for (int r = 0; r < g.rows; ++r) {
        const unsigned char* src = bitmap.buffer + std::ptrdiff_t(r) * bitmap.pitch;
        std::copy(src, src + g.width, g.coverage.begin() + std::ptrdiff_t(r) * g.width);
    }
    return &glyphs_.emplace(c, std::move(g)).first->second;
}

Result<TextLine> ChartFont::layout(const std::string& text) {
    TextLine line;
    line.ascent = pixels(face_->face->size->metrics.ascender);
    line.descent = pixels(-face_->face->size->metrics.descender);
    int pen = 0;
    for (std::size_t at = 0; at < text.size();) {
        Result<const Glyph*> g = glyph(nextCharacter(text, at));
        if (!g) {
            return g.status();
        }
        const Glyph& glyph = *g.value();
        line.glyphs.push_back({&glyph, pen + glyph.left});
        line.ascent = std::max(line.ascent, glyph.top);
        line.descent = std::max(line.descent, glyph.rows - glyph.top);
        line.width = std::max(line.width, pen + glyph.left + glyph.width);
        pen += glyph.advance;
    }
    // A glyph reaching left of the pen's start moves the whole line right.
    const int shift = line.glyphs.empty() ? 0 : std::max(0, -line.glyphs.front().x);
    for (TextLine::Placed& p : line.glyphs) {
        p.x += shift;
    }
    line.width += shift;
    return line;
}

namespace {

void darken(std::span<uint8_t> grey, int64_t at, uint8_t ink) {
    if (at >= 0 && at < static_cast<int64_t>(grey.size())) {
        uint8_t& pixel = grey[std::size_t(at)];
        pixel = std::min<uint8_t>(pixel, static_cast<uint8_t>(255 - ink));
    }
}

} // namespace

void drawTextRow(const TextLine& line, int row, std::span<uint8_t> grey, int64_t at) {
    for (const TextLine::Placed& p : line.glyphs) {
        const Glyph& g = *p.glyph;
        const int r = row - (line.ascent - g.top);
        if (r < 0 || r >= g.rows) {
            continue;
        }
        for (int c = 0; c < g.width; ++c) {
            darken(grey, at + p.x + c, g.coverage[std::size_t(r * g.width + c)]);
        }
    }
}

void drawTextColumn(const TextLine& line, int column, std::span<uint8_t> grey, int64_t at) {
    for (const TextLine::Placed& p : line.glyphs) {
        const Glyph& g = *p.glyph;
        const int c = column - p.x;
        if (c < 0 || c >= g.width) {
            continue;
        }
        const int first = line.ascent - g.top;
        for (int r = 0; r < g.rows; ++r) {
            darken(grey, at + first + r, g.coverage[std::size_t(r * g.width + c)]);
        }
    }
}

} // namespace tovrel
