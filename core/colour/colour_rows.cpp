#include "colour/colour_rows.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace tovrel {

namespace {
// A band of about 1 MB of decoded pixels: few thread starts, little memory.
constexpr std::size_t kBandBytes = 1 << 20;
// Below this many pixels a second thread costs more than it gives.
constexpr std::size_t kSplitPixels = 1 << 15;
} // namespace

ColourRows::ColourRows(const PictureColour& colour, DecodedRows& out, int32_t width)
    : colour_(colour), out_(out), width_(std::size_t(width)),
      bandRows_(std::max<std::size_t>(1, kBandBytes / (3 * width_))) {
    // Sizes from 64-bit products: a very wide row must not wrap.
    in_.reserve(bandRows_ * width_ * 3);
    converted_.resize(bandRows_ * width_ * std::size_t(colour.pixelBytes()));
}

Status ColourRows::row(int32_t y, const uint8_t* bgr) {
    in_.insert(in_.end(), bgr, bgr + width_ * 3);
    ys_.push_back(y);
    return ys_.size() == bandRows_ ? finish() : Status::ok();
}

Status ColourRows::pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) {
    if (Status s = finish(); !s) {
        return s;
    }
    std::vector<uint8_t> out(std::size_t(count) * std::size_t(colour_.pixelBytes()));
    colour_.apply(bgr, out.data(), std::size_t(count));
    return out_.pixels(y, x0, dx, out.data(), count);
}

Status ColourRows::finish() {
    const std::size_t pixels = ys_.size() * width_;
    const auto px = std::size_t(colour_.pixelBytes());
    if (pixels >= kSplitPixels) {
        // The transform keeps no cache (cmsFLAGS_NOCACHE): both halves may share it.
        const std::size_t half = pixels / 2;
        const auto second = [&] {
            colour_.apply(in_.data() + half * 3, converted_.data() + half * px, pixels - half);
        };
        std::thread other;
        try {
            other = std::thread(second);
        } catch (const std::system_error&) {
            second(); // no thread to be had: one core does it all
        }
        colour_.apply(in_.data(), converted_.data(), half);
        if (other.joinable()) {
            other.join();
        }
    } else if (pixels > 0) {
        colour_.apply(in_.data(), converted_.data(), pixels);
    }
    Status s = Status::ok();
    for (std::size_t i = 0; i < ys_.size() && s; ++i) {
        s = out_.row(ys_[i], converted_.data() + i * width_ * px);
    }
    in_.clear();
    ys_.clear();
    return s;
}

} // namespace tovrel
