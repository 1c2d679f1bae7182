#include "flip/gif_palette.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace tovrel {

namespace {

// The histogram keeps 5 bits of each channel; sums keep the exact colours,
// so a cell's mean is within 7 levels of every colour in it.
constexpr int kSide = 32;
constexpr int kShift = 3;
constexpr std::size_t kPaletteSize = 256;
// A pixel whose nearest entry is this close in every channel takes it as it
// is: no error diffusion there.
constexpr int kCloseEnough = 8;
constexpr std::size_t kCacheLimit = std::size_t(1) << 20;

struct Cell {
    uint64_t count = 0;
    uint64_t sum[3] = {0, 0, 0};
    uint64_t squares = 0;
};

int cellIndex(int r, int g, int b) {
    return (r * kSide + g) * kSide + b;
}

// Totals over a set of cells.
struct Totals {
    uint64_t count = 0;
    double sum[3] = {0, 0, 0};
    double squares = 0;

    void add(const Cell& c) {
        count += c.count;
        for (int k = 0; k < 3; ++k) {
            sum[k] += static_cast<double>(c.sum[k]);
        }
        squares += static_cast<double>(c.squares);
    }
    void add(const Totals& t) {
        count += t.count;
        for (int k = 0; k < 3; ++k) {
            sum[k] += t.sum[k];
        }
        squares += t.squares;
    }
    Totals minus(const Totals& t) const {
        Totals d = *this;
        d.count -= t.count;
        for (int k = 0; k < 3; ++k) {
            d.sum[k] -= t.sum[k];
        }
        d.squares -= t.squares;
        return d;
    }
    // The squared distance of the colours from their mean, all added up.
    double spread() const {
        if (count == 0) {
            return 0;
        }
        const double n = static_cast<double>(count);
        return squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / n;
    }
    PaletteColour mean() const {
        const double n = static_cast<double>(count);
        auto channel = [&](int k) {
            return static_cast<uint8_t>(std::clamp(sum[k] / n + 0.5, 0.0, 255.0));
        };
        return {channel(0), channel(1), channel(2)};
    }
};

struct Box {
    int lo[3];
    int hi[3]; // inclusive, in cells
    Totals totals;
    double spread = 0;
};

class Histogram {
  public:
    explicit Histogram(const ViewImage& image) : cells_(std::size_t(kSide * kSide * kSide)) {
        for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
            const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
            Cell& c = cells_[std::size_t(cellIndex(r >> kShift, g >> kShift, b >> kShift))];
            ++c.count;
            c.sum[0] += uint64_t(r);
            c.sum[1] += uint64_t(g);
            c.sum[2] += uint64_t(b);
            c.squares += uint64_t(r * r + g * g + b * b);
        }
    }

    // The box shrunk to its filled cells, with its totals.
    Box fit(Box box) const {
        int lo[3] = {kSide, kSide, kSide};
        int hi[3] = {-1, -1, -1};
        Totals totals;
        visit(box, [&](const Cell& c, const int at[3]) {
            totals.add(c);
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], at[k]);
                hi[k] = std::max(hi[k], at[k]);
            }
        });
        std::copy(lo, lo + 3, box.lo);
        std::copy(hi, hi + 3, box.hi);
        box.totals = totals;
        box.spread = totals.spread();
        return box;
    }

    // Splits a box where the two halves' spread is least, on any axis.
    // False for a box of one cell.
    bool split(const Box& box, Box& first, Box& second) const {
        std::vector<Totals> slices[3];
        for (int k = 0; k < 3; ++k) {
            slices[k].resize(std::size_t(box.hi[k] - box.lo[k] + 1));
        }
        visit(box, [&](const Cell& c, const int at[3]) {
            for (int k = 0; k < 3; ++k) {
                slices[k][std::size_t(at[k] - box.lo[k])].add(c);
            }
        });
        double best = -1;
        int axis = 0, cut = 0;
        for (int k = 0; k < 3; ++k) {
            Totals below;
            for (int c = box.lo[k]; c < box.hi[k]; ++c) {
                below.add(slices[k][std::size_t(c - box.lo[k])]);
                const double spread = below.spread() + box.totals.minus(below).spread();
                if (best < 0 || spread < best) {
                    best = spread;
                    axis = k;
                    cut = c;
                }
            }
        }
        if (best < 0) {
            return false;
        }
        first = box;
        second = box;
        first.hi[axis] = cut;
        second.lo[axis] = cut + 1;
        first = fit(first);
        second = fit(second);
        return true;
    }

  private:
    template <typename F> void visit(const Box& box, F&& f) const {
        int at[3];
        for (at[0] = box.lo[0]; at[0] <= box.hi[0]; ++at[0]) {
            for (at[1] = box.lo[1]; at[1] <= box.hi[1]; ++at[1]) {
                for (at[2] = box.lo[2]; at[2] <= box.hi[2]; ++at[2]) {
                    const Cell& c = cells_[std::size_t(cellIndex(at[0], at[1], at[2]))];
                    if (c.count != 0) {
                        f(c, at);
                    }
                }
            }
        }
    }

    std::vector<Cell> cells_;
};

std::vector<PaletteColour> medianCut(const ViewImage& image) {
    const Histogram histogram(image);
    std::vector<Box> boxes{histogram.fit(Box{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}, {}, 0})};
    while (boxes.size() < kPaletteSize) {
        const auto widest =
            std::max_element(boxes.begin(), boxes.end(),
                             [](const Box& a, const Box& b) { return a.spread < b.spread; });
        if (widest->spread <= 0) {
            break;
        }
        Box first{}, second{};
        if (!histogram.split(*widest, first, second)) {
            widest->spread = 0; // one cell: its colours are within 7 levels of its mean
            continue;
        }
        *widest = first;
        boxes.push_back(second);
    }
    std::vector<PaletteColour> palette;
    for (const Box& box : boxes) {
        if (box.totals.count != 0) {
            palette.push_back(box.totals.mean());
        }
    }
    return palette;
}

class Nearest {
  public:
    explicit Nearest(const std::vector<PaletteColour>& palette) : palette_(palette) {}

    uint8_t of(int r, int g, int b) {
        const uint32_t key = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        if (const auto at = cache_.find(key); at != cache_.end()) {
            return at->second;
        }
        int best = 0;
        int bestDistance = -1;
        for (std::size_t i = 0; i < palette_.size(); ++i) {
            const PaletteColour& p = palette_[i];
            const int dr = r - p.r, dg = g - p.g, db = b - p.b;
            const int distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        if (cache_.size() >= kCacheLimit) {
            cache_.clear(); // bounded memory whatever the frame
        }
        cache_.emplace(key, static_cast<uint8_t>(best));
        return static_cast<uint8_t>(best);
    }

  private:
    const std::vector<PaletteColour>& palette_;
    std::unordered_map<uint32_t, uint8_t> cache_;
};

bool close(const PaletteColour& p, int r, int g, int b) {
    return std::abs(p.r - r) <= kCloseEnough && std::abs(p.g - g) <= kCloseEnough &&
           std::abs(p.b - b) <= kCloseEnough;
}

} // namespace

ReducedFrame reduceColours(const ViewImage& image) {
    ReducedFrame frame;
    frame.palette = medianCut(image);
    frame.indices.resize(std::size_t(image.width) * std::size_t(image.height));
    Nearest nearest(frame.palette);
    // Floyd and Steinberg's error diffusion, one row of error ahead.
    const std::size_t width = std::size_t(image.width);
    std::vector<int> error((width + 2) * 3, 0);
    std::vector<int> next((width + 2) * 3, 0);
    for (std::size_t v = 0; v < std::size_t(image.height); ++v) {
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t u = 0; u < width; ++u) {
            const std::size_t i = v * width + u;
            const uint8_t* own = image.rgb.data() + 3 * i;
            const uint8_t plain = nearest.of(own[0], own[1], own[2]);
            if (close(frame.palette[plain], own[0], own[1], own[2])) {
                frame.indices[i] = plain;
                continue;
            }
            int wanted[3];
            for (int k = 0; k < 3; ++k) {
                wanted[k] = std::clamp(own[k] + error[3 * (u + 1) + std::size_t(k)] / 16, 0, 255);
            }
            const uint8_t index = nearest.of(wanted[0], wanted[1], wanted[2]);
            frame.indices[i] = index;
            const PaletteColour& got = frame.palette[index];
            const int left[3] = {wanted[0] - got.r, wanted[1] - got.g, wanted[2] - got.b};
            for (std::size_t k = 0; k < 3; ++k) {
                error[3 * (u + 2) + k] += 7 * left[k];
                next[3 * u + k] += 3 * left[k];
                next[3 * (u + 1) + k] += 5 * left[k];
                next[3 * (u + 2) + k] += left[k];
            }
        }
        std::swap(error, next);
    }
    return frame;
}

} // namespace tovrel
