#include "tests/render/oracle_sheet.h"

#include "common/rounding.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_engine.h"
#include "tests/render/oracle_printer_engine.h"
#include "tests/support/temp_dir.h"

#include <cmath>
#include <optional>

namespace tovrel::test {

namespace {

using Image = std::vector<std::vector<uint8_t>>;

// A single card of w x h pixels (its bleed included) by the plain renderings.
Image plainCard(const JobState& job, const RunSettings& settings, int64_t w, int64_t h,
                std::optional<double> anchor, const std::filesystem::path& file) {
    JobState card = secondRun(job, file);
    RunSettings s = settings;
    s.press = {};
    const double R = settings.printerPpi;
    auto side = [&](int64_t px) { return R != 0 ? px * 2.54 / R : sizeFor(job, int32_t(px)); };
    s.widthCm = side(w);
    s.heightCm = side(h);
    RunRecord record;
    const RunResult done = R != 0 ? oraclePrinterInterlace(card, s, recordingHooks(record),
                                                           EdgeRule::NearestPixel, anchor)
                                  : oracleInterlace(card, s, recordingHooks(record));
    const std::vector<unsigned char> bytes = readFile(file);
    Image rows(std::size_t(h), std::vector<uint8_t>(std::size_t(3 * w)));
    if (done.outcome != RunOutcome::Done || card.tifW != w || card.tifH != h) {
        return {};
    }
    for (int64_t y = 0; y < h; ++y) {
        for (int64_t x = 0; x < w; ++x) {
            const Rgb p = outputPixel(bytes, card, int32_t(x + 1), int32_t(h - y));
            rows[std::size_t(y)][std::size_t(3 * x)] = p.r;
            rows[std::size_t(y)][std::size_t(3 * x + 1)] = p.g;
            rows[std::size_t(y)][std::size_t(3 * x + 2)] = p.b;
        }
    }
    return rows;
}

int64_t rhe(double v) {
    return static_cast<int64_t>(roundHalfEven(v));
}

// Starts of n copies of `card` a pitch apart, centred in `length`.
std::vector<int64_t> starts(int64_t n, int64_t length, int64_t card, double pitch) {
    std::vector<int64_t> out;
    const int64_t first = (length - (rhe((n - 1) * pitch) + card)) / 2;
    for (int64_t i = 0; i < n; ++i) {
        out.push_back(first + rhe(i * pitch));
    }
    return out;
}

struct Box {
    int64_t x0, y0, x1, y1;
    bool has(int64_t x, int64_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

} // namespace

Image oracleSheet(const JobState& job, const RunSettings& settings,
                  const std::filesystem::path& dir, const SlugInk& slug) {
    const SheetSettings& press = settings.press;
    const bool printer = settings.printerPpi != 0;
    const int64_t V = job.ViewCount;
    const double sharp = job.Sharp;
    const double pitch = job.Pitch;
    const double ppi = printer
                           ? settings.printerPpi
                           : static_cast<double>(static_cast<float>(V * sharp * 10 * 2.54 / pitch));
    auto px = [&](double mm) { return mm / 25.4 * ppi; };
    const int64_t trimW =
        printer ? rhe(settings.widthCm / 2.54 * ppi)
                : static_cast<int64_t>(std::floor(settings.widthCm * 10 * V * sharp / pitch));
    const int64_t trimH =
        printer ? rhe(settings.heightCm / 2.54 * ppi)
                : static_cast<int64_t>(std::floor(settings.heightCm * 10 * V * sharp / pitch));
    const int64_t b = rhe(px(press.bleedMm));
    const int64_t cw = trimW + 2 * b;
    const int64_t ch = trimH + 2 * b;
    const int64_t W = rhe(px(press.paperWidthMm));
    const int64_t H = rhe(px(press.paperHeightMm));
    const double L = printer ? settings.printerPpi * pitch / 25.4 : double(V * rhe(sharp));
    const bool across_y = settings.horizontal;
    const double gutter = px(press.gutterMm);
    const double lensStep = std::ceil(((across_y ? ch : cw) + gutter) / L - 1e-9) * L;
    const double pitchX = across_y ? cw + std::ceil(gutter - 1e-9) : lensStep;
    const double pitchY = across_y ? lensStep : ch + std::ceil(gutter - 1e-9);
    const std::vector<int64_t> xs = starts(press.columns, W, cw, pitchX);
    const std::vector<int64_t> ys = starts(press.rows, H, ch, pitchY);

    // The grid: a lens boundary at the sheet's centre on the printer's
    // pixels, else at the first card's first position (left, or bottom).
    const double origin = printer ? (across_y ? H : W) / 2.0
                                  : (across_y ? double(H - (ys.back() + ch)) : double(xs.front()));
    Image sheet(std::size_t(H), std::vector<uint8_t>(std::size_t(3 * W), 255));
    std::vector<Box> bleeds;
    Image whole;
    for (const int64_t y0 : ys) {
        for (const int64_t x0 : xs) {
            bleeds.push_back({x0, y0, x0 + cw, y0 + ch});
            if (printer) {
                const double start = double(across_y ? H - (y0 + ch) : x0);
                whole = plainCard(job, settings, cw, ch, origin - start, dir / "card.tif");
            } else if (whole.empty()) {
                whole = plainCard(job, settings, cw, ch, std::nullopt, dir / "card.tif");
            }
            const Image& card = whole;
            for (int64_t y = 0; y < ch && !card.empty(); ++y) {
                std::copy(card[std::size_t(y)].begin(), card[std::size_t(y)].end(),
                          sheet[std::size_t(y0 + y)].begin() + 3 * x0);
            }
        }
    }
    if (!press.marks) {
        return sheet;
    }
    auto onPaper = [&](int64_t x, int64_t y) {
        if (x < 0 || y < 0 || x >= W || y >= H) {
            return false;
        }
        for (const Box& bleed : bleeds) {
            if (bleed.has(x, y)) {
                return false;
            }
        }
        return true;
    };
    auto ink = [&](const Box& box) {
        for (int64_t y = box.y0; y < box.y1; ++y) {
            for (int64_t x = box.x0; x < box.x1; ++x) {
                if (onPaper(x, y)) {
                    std::fill_n(sheet[std::size_t(y)].begin() + 3 * x, 3, 0);
                }
            }
        }
    };
    // Crop marks: 0.25 pt wide, 2 mm beyond the bleed, 5 mm long.
    const int64_t w = std::max<int64_t>(1, std::llround(0.25 / 72 * ppi));
    const int64_t gap = std::llround(px(2));
    const int64_t len = std::llround(px(5));
    for (const Box& c : bleeds) {
        for (const int64_t x : {c.x0 + b, c.x1 - b}) {
            ink({x - w / 2, c.y0 - gap - len, x - w / 2 + w, c.y0 - gap});
            ink({x - w / 2, c.y1 + gap, x - w / 2 + w, c.y1 + gap + len});
        }
        for (const int64_t y : {c.y0 + b, c.y1 - b}) {
            ink({c.x0 - gap - len, y - w / 2, c.x0 - gap, y - w / 2 + w});
            ink({c.x1 + gap, y - w / 2, c.x1 + gap + len, y - w / 2 + w});
        }
    }
    // Alignment bars 8 to 14 mm beyond the cards, half the sheet long: the
    // first half of every lens of the grid inked.
    const Box block{xs.front(), ys.front(), xs.back() + cw, ys.back() + ch};
    const int64_t from = std::llround(px(8));
    const int64_t depth = std::llround(px(6));
    const double originFromTop = across_y ? H - origin : origin;
    auto inked = [&](int64_t p) {
        double phase = std::fmod(p + 0.5 - originFromTop, L);
        return (phase < 0 ? phase + L : phase) < L / 2;
    };
    for (int64_t y = 0; y < H; ++y) {
        for (int64_t x = 0; x < W; ++x) {
            const bool inBar = across_y
                                   ? y >= H / 4 && y < H / 4 + H / 2 &&
                                         ((x >= block.x0 - from - depth && x < block.x0 - from) ||
                                          (x >= block.x1 + from && x < block.x1 + from + depth))
                                   : x >= W / 4 && x < W / 4 + W / 2 &&
                                         ((y >= block.y0 - from - depth && y < block.y0 - from) ||
                                          (y >= block.y1 + from && y < block.y1 + from + depth));
            uint8_t* p = sheet[std::size_t(y)].data() + 3 * x;
            if (inBar && inked(across_y ? y : x)) {
                std::fill_n(p, 3, 0);
            }
            if (const uint8_t a = slug(x, y)) {
                for (int i = 0; i < 3; ++i) {
                    p[i] = static_cast<uint8_t>(p[i] * (255 - a) / 255);
                }
            }
        }
    }
    return sheet;
}

} // namespace tovrel::test
