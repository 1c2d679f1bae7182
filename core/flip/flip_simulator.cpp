#include "flip/flip_simulator.h"

#include "common/rounding.h"
#include "intake/common_frame.h"
#include "render/run_checks.h"

#include <algorithm>
#include <cstdlib>

namespace tovrel {

namespace {

// A table of every line a sweep can show up to this size; beyond it, only
// the lines of the view at hand are kept.
constexpr std::size_t kTableBudget = std::size_t(128) << 20;

int32_t proportional(int64_t length, int64_t to, int64_t from) {
    const double scaled = roundHalfEven(static_cast<double>(length) * to / from);
    return static_cast<int32_t>(std::clamp(scaled, 1.0, 2.0 * FlipSimulator::kMaxViewSide));
}

Status checkViewSize(ViewSize size) {
    if (size.width < 1 || size.height < 1) {
        return Status::fail("预览图太小：宽度和高度至少要有 1 个像素。");
    }
    if (size.width > FlipSimulator::kMaxViewSide || size.height > FlipSimulator::kMaxViewSide ||
        int64_t{size.width} * size.height > FlipSimulator::kMaxViewPixels) {
        return Status::fail("预览图太大：宽度和高度最多 " +
                            std::to_string(FlipSimulator::kMaxViewSide) +
                            " 像素。请减小预览宽度。");
    }
    return Status::ok();
}

// The picture lines among the pixels, each once.
std::vector<LensAxisPixel> distinctPictures(std::vector<LensAxisPixel> pixels) {
    std::erase_if(pixels,
                  [](const LensAxisPixel& p) { return p.kind != LensAxisPixel::Kind::Picture; });
    std::sort(pixels.begin(), pixels.end(), [](const LensAxisPixel& a, const LensAxisPixel& b) {
        return a.picture != b.picture ? a.picture < b.picture : a.frameIndex < b.frameIndex;
    });
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

} // namespace

double sweepPhase(int64_t frame, int32_t steps) {
    if (steps < 2) {
        return 0.5;
    }
    const int64_t i = frame % sweepFrames(steps);
    const int64_t step = i < steps ? i : 2 * (steps - 1) - i;
    return (static_cast<double>(step) + 0.5) / steps;
}

int32_t sweepFrames(int32_t steps) {
    return steps < 2 ? 1 : 2 * steps - 2;
}

int32_t sweepStepsFor(int32_t least, int32_t frames) {
    return std::max(least, frames);
}

bool sameFlipInputs(const JobState& a, const RunSettings& as, const JobState& b,
                    const RunSettings& bs) {
    if (a.ViewCount != b.ViewCount || a.Views != b.Views || a.Pitch != b.Pitch ||
        a.Sharp != b.Sharp || a.BaseW != b.BaseW || a.BaseH != b.BaseH ||
        as.widthCm != bs.widthCm || as.heightCm != bs.heightCm || as.whiteGaps != bs.whiteGaps ||
        as.whiteWidth != bs.whiteWidth || as.horizontal != bs.horizontal ||
        as.printerPpi != bs.printerPpi || as.press.bleedMm != bs.press.bleedMm ||
        as.colour != bs.colour) {
        return false;
    }
    for (int32_t n = 1; n <= a.ViewCount && n <= kMaxFrames; ++n) {
        if (a.InPath(n) != b.InPath(n) || a.RowPath(n) != b.RowPath(n) || a.ImgW(n) != b.ImgW(n) ||
            a.ImgH(n) != b.ImgH(n) || a.ImgStride(n) != b.ImgStride(n) ||
            a.FramePos(n) != b.FramePos(n) || a.DataOff(n) != b.DataOff(n)) {
            return false;
        }
    }
    return true;
}

FlipSimulator::FlipSimulator(JobState job, const RunSettings& settings, ScreenColour screen)
    : job_(std::move(job)), colour_(settings.colour), screen_(std::move(screen)),
      mapping_(job_, settings) {}

Result<FlipSimulator> FlipSimulator::prepare(JobState job, const RunSettings& settings) {
    if (Status plan = planRun(job, settings); !plan) {
        return plan;
    }
    setScaleAndStrip(job);
    Result<ScreenColour> screen = ScreenColour::make(job.OutColour);
    if (!screen) {
        return screen.status();
    }
    return FlipSimulator(std::move(job), settings, std::move(screen).value());
}

Status FlipSimulator::markGamut(const PictureCache& pictures) {
    Result<ScreenColour> proof = ScreenColour::gamutProof(job_.OutColour, colour_);
    if (!proof) {
        return proof.status();
    }
    auto srgb = std::make_shared<Proof>(Proof{pictures.inSrgb(), job_});
    if (Status read = readSlotsThrough(srgb->job, srgb->cache); !read) {
        return read;
    }
    screen_ = std::move(proof).value();
    proof_ = std::move(srgb);
    tableSize_ = {}; // the table holds the other pixels
    return Status::ok();
}

ViewSize FlipSimulator::viewSize(int32_t width) const {
    return {width, proportional(width, job_.tifH, job_.tifW)};
}

ViewSize FlipSimulator::fitView(int32_t width, int32_t height) const {
    if (int64_t{width} * job_.tifH >= int64_t{height} * job_.tifW) {
        return {proportional(height, job_.tifW, job_.tifH), height};
    }
    return viewSize(width);
}

ViewSamples FlipSimulator::samples(ViewSize size, double phase, double pitchError) const {
    const LensSheet sheet{mapping_.grid(), pitchError};
    const bool horizontal = mapping_.horizontal();
    const int32_t along = horizontal ? size.height : size.width;
    const int32_t across = horizontal ? size.width : size.height;
    std::vector<int64_t> lens = lensSamples(sheet, along, mapping_.lensAxisLength(), phase);
    for (int64_t& a : lens) {
        a += 1;
    }
    std::vector<int64_t> cross(static_cast<std::size_t>(across));
    for (int32_t i = 0; i < across; ++i) {
        const int64_t pixel = viewPixel(i, across, mapping_.crossAxisLength());
        // View rows count from the top, output rows from the bottom.
        cross[std::size_t(i)] = horizontal ? pixel + 1 : job_.tifH - pixel;
    }
    if (!horizontal) {
        return {std::move(lens), std::move(cross)};
    }
    std::reverse(lens.begin(), lens.end());
    return {std::move(cross), std::move(lens)};
}

std::vector<int32_t> FlipSimulator::crossFrames(ViewSize size) const {
    const bool horizontal = mapping_.horizontal();
    const int32_t across = horizontal ? size.width : size.height;
    const int64_t length = mapping_.crossAxisLength();
    std::vector<int32_t> frames(static_cast<std::size_t>(across));
    for (int32_t i = 0; i < across; ++i) {
        const int64_t pixel = viewPixel(i, across, length);
        frames[std::size_t(i)] = mapping_.crossFrameIndex(horizontal ? pixel : length - 1 - pixel);
    }
    return frames;
}

Status FlipSimulator::refill(ViewSize size, const LensSheet& sheet,
                             std::span<const LensAxisPixel> needed) {
    const int32_t along = mapping_.horizontal() ? size.height : size.width;
    const int32_t across = mapping_.horizontal() ? size.width : size.height;
    std::vector<LensAxisPixel> reachable;
    for (const int64_t a : reachableSamples(sheet, along, mapping_.lensAxisLength())) {
        const LensAxisPixel pixel = mapping_.lensPixel(a);
        // Neighbours in a strip mostly share their line.
        if (reachable.empty() || !(reachable.back() == pixel)) {
            reachable.push_back(pixel);
        }
    }
    reachable = distinctPictures(std::move(reachable));
    if (LineTable::bytesFor(reachable.size(), std::size_t(across)) > kTableBudget) {
        reachable = distinctPictures({needed.begin(), needed.end()});
    }
    tableSize_ = {};
    if (Status filled = table_.fill(viewed(), screen_, mapping_, crossFrames(size), reachable);
        !filled) {
        return filled;
    }
    tableSize_ = size;
    return Status::ok();
}

Result<ViewImage> FlipSimulator::render(ViewSize size, double phase, double pitchError) {
    if (Status sized = checkViewSize(size); !sized) {
        return sized;
    }
    const LensSheet sheet{mapping_.grid(), pitchError};
    const int32_t along = mapping_.horizontal() ? size.height : size.width;
    std::vector<LensAxisPixel> pixels;
    pixels.reserve(std::size_t(along));
    for (const int64_t a : lensSamples(sheet, along, mapping_.lensAxisLength(), phase)) {
        pixels.push_back(mapping_.lensPixel(a));
    }
    std::vector<int32_t> lines(pixels.size());
    const auto look = [&] {
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            lines[i] = table_.lineOf(pixels[i]);
        }
        return std::find(lines.begin(), lines.end(), -1) == lines.end();
    };
    if (!(tableSize_ == size) || !look()) {
        if (Status filled = refill(size, sheet, pixels); !filled) {
            return filled;
        }
        look();
    }
    return table_.compose(lines);
}

} // namespace tovrel
