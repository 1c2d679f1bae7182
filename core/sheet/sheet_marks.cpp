#include "sheet/sheet_marks.h"

#include "chart/chart_font.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "render/run_geometry.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tovrel {

namespace {

// What is left of r outside hole: up to four pieces.
void subtract(const PixelRect& r, const PixelRect& hole, std::vector<PixelRect>& out) {
    const PixelRect cut{std::max(r.x0, hole.x0), std::max(r.y0, hole.y0), std::min(r.x1, hole.x1),
                        std::min(r.y1, hole.y1)};
    if (cut.empty()) {
        out.push_back(r);
        return;
    }
    const PixelRect pieces[] = {{r.x0, r.y0, r.x1, cut.y0},
                                {r.x0, cut.y1, r.x1, r.y1},
                                {r.x0, cut.y0, cut.x0, cut.y1},
                                {cut.x1, cut.y0, r.x1, cut.y1}};
    for (const PixelRect& piece : pieces) {
        if (!piece.empty()) {
            out.push_back(piece);
        }
    }
}

// r on the paper: within the sheet and outside every card's bleed.
std::vector<PixelRect> onPaper(const PixelRect& r, const SheetLayout& layout,
                               const std::vector<SheetCard>& cards) {
    std::vector<PixelRect> parts;
    const PixelRect sheet{0, 0, layout.width, layout.height};
    const PixelRect clipped{std::max(r.x0, sheet.x0), std::max(r.y0, sheet.y0),
                            std::min(r.x1, sheet.x1), std::min(r.y1, sheet.y1)};
    if (!clipped.empty()) {
        parts.push_back(clipped);
    }
    for (const SheetCard& card : cards) {
        std::vector<PixelRect> left;
        for (const PixelRect& part : parts) {
            subtract(part, card.bleed, left);
        }
        parts = std::move(left);
    }
    return parts;
}

std::vector<PixelRect> cropRects(const SheetLayout& layout, const std::vector<SheetCard>& cards) {
    const auto w = cropLinePixels(layout.ppi);
    const auto gap = static_cast<int64_t>(std::llround(layout.pixels(kCropGapMm)));
    const auto len = static_cast<int64_t>(std::llround(layout.pixels(kCropLengthMm)));
    std::vector<PixelRect> marks;
    for (const SheetCard& c : cards) {
        const PixelRect& b = c.bleed;
        for (const int64_t x : {c.trim.x0, c.trim.x1}) {
            marks.push_back({x - w / 2, b.y0 - gap - len, x - w / 2 + w, b.y0 - gap});
            marks.push_back({x - w / 2, b.y1 + gap, x - w / 2 + w, b.y1 + gap + len});
        }
        for (const int64_t y : {c.trim.y0, c.trim.y1}) {
            marks.push_back({b.x0 - gap - len, y - w / 2, b.x0 - gap, y - w / 2 + w});
            marks.push_back({b.x1 + gap, y - w / 2, b.x1 + gap + len, y - w / 2 + w});
        }
    }
    std::vector<PixelRect> out;
    for (const PixelRect& m : marks) {
        for (const PixelRect& part : onPaper(m, layout, cards)) {
            out.push_back(part);
        }
    }
    return out;
}

} // namespace

int64_t cropLinePixels(double ppi) {
    return std::max<int64_t>(1, std::llround(0.25 / 72 * ppi));
}

bool barInked(const SheetLayout& layout, int64_t p) {
    const double L = layout.lensPixels;
    const double origin = layout.horizontal ? layout.height - layout.gridStart : layout.gridStart;
    double phase = std::fmod(static_cast<double>(p) + 0.5 - origin, L);
    if (phase < 0) {
        phase += L;
    }
    return phase < L / 2;
}

Result<SheetMarks> SheetMarks::build(const SheetLayout& layout, const std::string& slug,
                                     int32_t pixelBytes) {
    SheetMarks marks;
    marks.layout_ = layout;
    marks.px_ = pixelBytes;
    marks.changes_.assign(std::size_t(layout.height) + 1, false);
    marks.changes_[0] = true;
    if (!layout.marks) {
        return marks;
    }
    const std::vector<SheetCard> cards = layout.cards();
    marks.crops_ = cropRects(layout, cards);
    const PixelRect block = layout.block();
    const auto from = static_cast<int64_t>(std::llround(layout.pixels(kBarFromMm)));
    const auto depth = static_cast<int64_t>(std::llround(layout.pixels(kBarDepthMm)));
    if (layout.horizontal) {
        const int64_t y0 = layout.height / 4;
        const int64_t y1 = y0 + layout.height / 2;
        marks.bars_ = {{block.x0 - from - depth, y0, block.x0 - from, y1},
                       {block.x1 + from, y0, block.x1 + from + depth, y1}};
        // The grating runs down the rows: every row of the bars may differ.
        std::fill(marks.changes_.begin() + y0, marks.changes_.begin() + y1 + 1, true);
    } else {
        const int64_t x0 = layout.width / 4;
        const int64_t x1 = x0 + layout.width / 2;
        marks.bars_ = {{x0, block.y0 - from - depth, x1, block.y0 - from},
                       {x0, block.y1 + from, x1, block.y1 + from + depth}};
    }
    for (const PixelRect& r : marks.crops_) {
        marks.markChanges(r);
    }
    for (const PixelRect& r : marks.bars_) {
        marks.markChanges(r);
    }

    const auto digit =
        static_cast<int>(std::max<int64_t>(4, std::llround(layout.pixels(kSlugDigitMm))));
    Result<std::unique_ptr<ChartFont>> font = ChartFont::open(chartFontFile(), digit);
    if (!font) {
        return font.status();
    }
    Result<TextLine> line = font.value()->layout(slug);
    if (!line) {
        return line.status();
    }
    const TextLine& text = line.value();
    const int64_t top = block.y1 + static_cast<int64_t>(std::llround(layout.pixels(kSlugFromMm)));
    marks.slugBox_ = {block.x0, top, std::min<int64_t>(block.x0 + text.width, layout.width),
                      std::min<int64_t>(top + text.height(), layout.height)};
    const PixelRect& box = marks.slugBox_;
    if (!box.empty()) {
        const auto w = std::size_t(box.x1 - box.x0);
        std::vector<uint8_t> grey(w);
        for (int64_t y = box.y0; y < box.y1; ++y) {
            std::fill(grey.begin(), grey.end(), 255);
            drawTextRow(text, static_cast<int>(y - box.y0), grey, 0);
            for (const uint8_t g : grey) {
                marks.slugInk_.push_back(static_cast<uint8_t>(255 - g));
            }
            marks.changes_[std::size_t(y)] = true;
        }
        marks.changes_[std::size_t(box.y1)] = true;
    }
    return marks;
}

void SheetMarks::markChanges(const PixelRect& r) {
    changes_[std::size_t(r.y0)] = true;
    changes_[std::size_t(r.y1)] = true;
}

uint8_t SheetMarks::slugInk(int64_t x, int64_t y) const {
    if (!slugBox_.contains(x, y)) {
        return 0;
    }
    const auto w = slugBox_.x1 - slugBox_.x0;
    return slugInk_[std::size_t((y - slugBox_.y0) * w + (x - slugBox_.x0))];
}

void SheetMarks::apply(int64_t y, unsigned char* row) const {
    for (const PixelRect& r : crops_) {
        if (y >= r.y0 && y < r.y1) {
            for (int64_t x = r.x0; x < r.x1; ++x) {
                putInk(row + px_ * x, 255, px_, false);
            }
        }
    }
    for (const PixelRect& r : bars_) {
        if (y < r.y0 || y >= r.y1 || (layout_.horizontal && !barInked(layout_, y))) {
            continue;
        }
        for (int64_t x = r.x0; x < r.x1; ++x) {
            if (layout_.horizontal || barInked(layout_, x)) {
                putInk(row + px_ * x, 255, px_, true);
            }
        }
    }
    if (y >= slugBox_.y0 && y < slugBox_.y1) {
        for (int64_t x = slugBox_.x0; x < slugBox_.x1; ++x) {
            if (const uint8_t ink = slugInk(x, y)) {
                putInk(row + px_ * x, ink, px_, false);
            }
        }
    }
}

std::string slugText(const JobState& job, const RunSettings& settings, const std::string& date) {
    const std::string name = std::filesystem::path(job.OutPath).filename().string();
    const double lpi = 25.4 / static_cast<double>(job.Pitch);
    const int32_t ppi =
        settings.printerPpi != 0 ? settings.printerPpi : static_cast<int32_t>(std::lround(job.fbl));
    return name + "   栅距 " + formatSingle(job.Pitch) + " mm   " +
           formatDouble(std::round(lpi * 100) / 100) + " 线/英寸   " + std::to_string(ppi) +
           " 像素/英寸   " + formatDouble(settings.widthCm) + "×" +
           formatDouble(settings.heightCm) + " cm   " + std::to_string(job.ViewCount) + " 帧   " +
           date;
}

} // namespace tovrel
