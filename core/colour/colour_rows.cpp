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
        b.pieces.reserve(bandRows_);
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
    return add({y, 0, 1, int32_t(width_)}, bgr);
}

Status ColourRows::pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) {
    return add({y, x0, dx, count}, bgr);
}

Status ColourRows::add(const Piece& piece, const uint8_t* bgr) {
    // The band being filled is the decoder's alone: no lock needed. A piece
    // is at most a row, and a band holds at least one.
    const std::size_t capacity = bandRows_ * width_;
    const auto count = std::size_t(piece.count);
    if (bands_[filling_].used + count > capacity) {
        if (Status queued = queueAndDrain(); !queued) {
            return queued;
        }
    }
    Band& b = bands_[filling_];
    std::memcpy(b.in.data() + b.used * 3, bgr, count * 3);
    b.used += count;
    b.pieces.push_back(piece);
    return b.used < capacity ? Status::ok() : queueAndDrain();
}

Status ColourRows::queueAndDrain() {
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

Status ColourRows::finish() {
    if (!bands_[filling_].pieces.empty()) {
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
        const auto px = std::size_t(colour_.pixelBytes());
        Status s = Status::ok();
        const uint8_t* at = b.out.data();
        for (std::size_t i = 0; i < b.pieces.size() && s; ++i) {
            const Piece& p = b.pieces[i];
            const bool whole = p.x0 == 0 && p.dx == 1 && std::size_t(p.count) == width_;
            s = whole ? out_.row(p.y, at) : out_.pixels(p.y, p.x0, p.dx, at, p.count);
            at += std::size_t(p.count) * px;
        }
        lock.lock();
        b.pieces.clear();
        b.used = 0;
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
        colour_.apply(band->in.data(), band->out.data(), band->used);
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
