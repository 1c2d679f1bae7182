#include "flip/line_table.h"

#include "render/source_rows.h"

#include <algorithm>
#include <cstring>

namespace tovrel {

namespace {

void copyPixel(const unsigned char* bgrRow, int32_t x, uint8_t* rgb) {
    const unsigned char* bgr = bgrRow + 3 * std::size_t(x - 1);
    rgb[0] = bgr[2];
    rgb[1] = bgr[1];
    rgb[2] = bgr[0];
}

} // namespace

std::size_t LineTable::bytesFor(std::size_t pictureLines, std::size_t crossPositions) {
    return (pictureLines + 2) * crossPositions * 3;
}

int32_t LineTable::lineOf(const LensAxisPixel& pixel) const {
    switch (pixel.kind) {
    case LensAxisPixel::Kind::Black:
        return kBlackLine;
    case LensAxisPixel::Kind::White:
        return kWhiteLine;
    case LensAxisPixel::Kind::Picture:
        break;
    }
    const auto n = std::size_t(pixel.picture - 1);
    if (n >= index_.size() || std::size_t(pixel.frameIndex) >= index_[n].size()) {
        return -1;
    }
    return index_[n][std::size_t(pixel.frameIndex)];
}

uint8_t* LineTable::at(int32_t line, std::size_t cross) {
    const std::size_t cell = horizontal_ ? std::size_t(line) * crossFrames_.size() + cross
                                         : cross * std::size_t(lineCount_) + std::size_t(line);
    return pixels_.data() + 3 * cell;
}

Status LineTable::fill(const JobState& job, const ScreenColour& screen, const PrintMapping& mapping,
                       std::vector<int32_t> crossFrames, std::span<const LensAxisPixel> pixels) {
    horizontal_ = mapping.horizontal();
    crossFrames_ = std::move(crossFrames);
    index_.assign(std::size_t(job.ViewCount),
                  std::vector<int32_t>(std::size_t(mapping.lensAxisFrameLength()) + 1, -1));
    std::vector<Line> lines;
    lineCount_ = kWhiteLine + 1;
    for (const LensAxisPixel& pixel : pixels) {
        if (pixel.kind == LensAxisPixel::Kind::Picture && lineOf(pixel) < 0) {
            index_[std::size_t(pixel.picture - 1)][std::size_t(pixel.frameIndex)] = lineCount_;
            lines.push_back({pixel.picture, pixel.frameIndex, lineCount_++});
        }
    }
    // Each picture's rows in file order.
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.picture != b.picture ? a.picture < b.picture : a.frameIndex < b.frameIndex;
    });
    pixels_.assign(bytesFor(lines.size(), crossFrames_.size()), 0);
    for (std::size_t i = 0; i < crossFrames_.size(); ++i) {
        std::memset(at(kWhiteLine, i), 255, 3);
    }
    pixelBytes_ = job.PixelBytes;
    Status filled =
        horizontal_ ? fillHorizontal(job, screen, lines) : fillVertical(job, screen, lines);
    if (!filled) {
        // A table that failed half-way holds no line.
        index_.clear();
        pixels_.clear();
    }
    return filled;
}

// The first `pixels` pixels of frame row y of picture n in blue, green, red:
// a store made for an output profile is shown through it (a soft proof).
Status LineTable::readRow(const SourceRows& sources, const ScreenColour& screen, int32_t n,
                          int32_t y, std::vector<unsigned char>& row) {
    if (screen.identity()) {
        return sources.read(n, y, row.data(), row.size());
    }
    const std::size_t pixels = row.size() / 3;
    stored_.resize(pixels * std::size_t(pixelBytes_));
    if (Status read = sources.read(n, y, stored_.data(), stored_.size()); !read) {
        return read;
    }
    screen.apply(stored_.data(), row.data(), pixels);
    return Status::ok();
}

// Lines are frame columns; a source row read fills one row of the table.
Status LineTable::fillVertical(const JobState& job, const ScreenColour& screen,
                               const std::vector<Line>& lines) {
    Result<SourceRows> sources = SourceRows::open(job);
    if (!sources) {
        return sources.status();
    }
    int32_t widest = 0;
    for (const Line& line : lines) {
        widest = std::max(widest, line.frameIndex);
    }
    std::vector<unsigned char> row(3 * std::size_t(widest));
    const std::size_t rowBytes = 3 * std::size_t(lineCount_);
    for (std::size_t i = 0; i < crossFrames_.size(); ++i) {
        const int32_t y = crossFrames_[i];
        if (i > 0 && crossFrames_[i - 1] == y) {
            std::memcpy(at(0, i), at(0, i - 1), rowBytes);
            continue;
        }
        int32_t loaded = 0; // the picture whose row is in `row`
        for (const Line& line : lines) {
            if (line.picture != loaded) {
                if (Status read = readRow(sources.value(), screen, line.picture, y, row); !read) {
                    return read;
                }
                loaded = line.picture;
            }
            copyPixel(row.data(), line.frameIndex, at(line.id, i));
        }
    }
    return Status::ok();
}

// Lines are frame rows; each is read once and sampled across the view.
Status LineTable::fillHorizontal(const JobState& job, const ScreenColour& screen,
                                 const std::vector<Line>& lines) {
    Result<SourceRows> sources = SourceRows::open(job);
    if (!sources) {
        return sources.status();
    }
    const int32_t widest =
        crossFrames_.empty() ? 0 : *std::max_element(crossFrames_.begin(), crossFrames_.end());
    std::vector<unsigned char> row(3 * std::size_t(widest));
    for (const Line& line : lines) {
        if (Status read = readRow(sources.value(), screen, line.picture, line.frameIndex, row);
            !read) {
            return read;
        }
        for (std::size_t i = 0; i < crossFrames_.size(); ++i) {
            copyPixel(row.data(), crossFrames_[i], at(line.id, i));
        }
    }
    return Status::ok();
}

ViewImage LineTable::compose(std::span<const int32_t> lensLines) const {
    ViewImage view;
    const auto across = static_cast<int32_t>(crossFrames_.size());
    const auto along = static_cast<int32_t>(lensLines.size());
    view.width = horizontal_ ? across : along;
    view.height = horizontal_ ? along : across;
    view.rgb.resize(3 * std::size_t(view.width) * std::size_t(view.height));
    uint8_t* out = view.rgb.data();
    const std::size_t rowBytes = 3 * std::size_t(view.width);
    if (horizontal_) {
        // Lens-axis positions count from the bottom; view rows from the top.
        for (int32_t v = 0; v < view.height; ++v) {
            const auto line = std::size_t(lensLines[std::size_t(along - 1 - v)]);
            std::memcpy(out + rowBytes * std::size_t(v), pixels_.data() + line * rowBytes,
                        rowBytes);
        }
        return view;
    }
    for (int32_t v = 0; v < view.height; ++v) {
        const uint8_t* lines = pixels_.data() + 3 * std::size_t(v) * std::size_t(lineCount_);
        for (const int32_t line : lensLines) {
            std::memcpy(out, lines + 3 * std::size_t(line), 3);
            out += 3;
        }
    }
    return view;
}

} // namespace tovrel
