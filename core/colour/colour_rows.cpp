#include "colour/colour_rows.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace tovrel {

namespace {
// A band of about 256 KB of decoded pixels: small enough that the last bands
// are shared out at the end, large enough that handing them over costs little.
constexpr std::size_t kBandBytes = 1 << 18;
// Bands in flight: the one being filled, and room for each thread to have
// one while others wait. Memory stays a few bands whatever the picture.
constexpr std::size_t kBands = 6;

std::size_t helperCount() {
    // The decoder's own thread takes a share of the converting too.
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? std::min<std::size_t>(cores - 1, kBands - 2) : 0;
}
} // namespace

ColourRows::ColourRows(const PictureColour& colour, DecodedRows& out, int32_t width)
    : colour_(colour), out_(out), width_(std::size_t(width)),
      bandRows_(std::max<std::size_t>(1, kBandBytes / (3 * width_))), bands_(kBands) {
    // Sizes from 64-bit products: a very wide row must not wrap.
    for (Band& b : bands_) {
        b.in.resize(bandRows_ * width_ * 3);
        b.out.resize(bandRows_ * width_ * std::size_t(colour.pixelBytes()));
        b.ys.reserve(bandRows_);
    }
}

ColourRows::~ColourRows() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& t : helpers_) {
        t.join();
    }
}

Status ColourRows::row(int32_t y, const uint8_t* bgr) {
    // The band being filled is the decoder's alone: no lock needed.
    Band& b = bands_[filling_];
    std::memcpy(b.in.data() + b.ys.size() * width_ * 3, bgr, width_ * 3);
    b.ys.push_back(y);
    if (b.ys.size() < bandRows_) {
        return Status::ok();
    }
    if (helpers_.empty()) {
        // Started once, with the first full band: a small picture needs none.
        for (std::size_t i = helperCount(); i > 0; --i) {
            try {
                helpers_.emplace_back([this] { help(); });
            } catch (const std::system_error&) {
                break; // fewer threads: the decoder's own converts the rest
            }
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        queueFilling(lock);
    }
    return drain(std::ptrdiff_t(filling_));
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
    if (!bands_[filling_].ys.empty()) {
        std::unique_lock<std::mutex> lock(mutex_);
        queueFilling(lock);
    }
    return drain(-1);
}

void ColourRows::queueFilling(std::unique_lock<std::mutex>&) {
    bands_[filling_].state = State::Queued;
    filling_ = (filling_ + 1) % bands_.size();
    queued_.notify_one();
}

Status ColourRows::drain(std::ptrdiff_t until) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (Status s = handOn(lock); !s) {
            return s;
        }
        const bool done = until >= 0 ? bands_[std::size_t(until)].state == State::Free
                                     : std::all_of(bands_.begin(), bands_.end(), [](const Band& b) {
                                           return b.state == State::Free;
                                       });
        if (done) {
            return Status::ok();
        }
        // Rather than wait for the helpers, take a share of their work.
        if (!convertOne(lock)) {
            converted_.wait(lock);
        }
    }
}

Status ColourRows::handOn(std::unique_lock<std::mutex>& lock) {
    for (;;) {
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        Band& b = bands_[oldest_];
        if (b.state != State::Converted) {
            return Status::ok();
        }
        // A converted band is no helper's any more: hand it on unlocked.
        lock.unlock();
        const std::size_t rowBytes = width_ * std::size_t(colour_.pixelBytes());
        Status s = Status::ok();
        for (std::size_t i = 0; i < b.ys.size() && s; ++i) {
            s = out_.row(b.ys[i], b.out.data() + i * rowBytes);
        }
        lock.lock();
        b.ys.clear();
        b.state = State::Free;
        oldest_ = (oldest_ + 1) % bands_.size();
        if (!s) {
            return s;
        }
    }
}

bool ColourRows::convertOne(std::unique_lock<std::mutex>& lock) {
    Band* band = nullptr;
    for (std::size_t i = 0; i < bands_.size() && !band; ++i) {
        Band& b = bands_[(oldest_ + i) % bands_.size()];
        band = b.state == State::Queued ? &b : nullptr;
    }
    if (!band) {
        return false;
    }
    band->state = State::Converting;
    lock.unlock();
    std::exception_ptr error;
    try {
        // The transform keeps no cache (cmsFLAGS_NOCACHE): threads may share it.
        colour_.apply(band->in.data(), band->out.data(), band->ys.size() * width_);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    if (error && !failure_) {
        failure_ = error;
    }
    band->state = State::Converted;
    converted_.notify_one();
    return true;
}

void ColourRows::help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopping_) {
            return;
        }
        if (!convertOne(lock)) {
            queued_.wait(lock);
        }
    }
}

} // namespace tovrel
