#pragma once
// Decoded rows converted on their way into a row store. Rows (and the
// pieces of rows of an interlaced picture's passes) are gathered into
// bands; while the decoder goes on producing the next band, helper
// threads convert the previous ones through the picture's one transform,
// and the converted bands are handed on, in order and on the decoder's
// thread, in the store's pixels. A few bands are in flight at most: when
// they are all taken, the decoder converts one itself rather than wait.

#include "colour/colour_plan.h"
#include "intake/picture_decoder.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tovrel {

class ColourRows final : public DecodedRows {
  public:
    // Rows of `width` pixels go through `colour` into `out`.
    ColourRows(const PictureColour& colour, DecodedRows& out, int32_t width);
    // Stops the helpers (a decode that failed half way leaves bands behind).
    ~ColourRows() override;
    ColourRows(const ColourRows&) = delete;
    ColourRows& operator=(const ColourRows&) = delete;

    Status row(int32_t y, const uint8_t* bgr) override;
    Status pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) override;
    // Converts and hands on every row still gathered.
    Status finish();

  private:
    enum class State { Free, Queued, Converting, Converted };
    // Pixels x0, x0 + dx, ... of row y, `count` of them: a whole row, or one
    // row of an interlacing pass.
    struct Piece {
        int32_t y, x0, dx, count;
    };
    struct Band {
        std::vector<uint8_t> in, out;
        std::vector<Piece> pieces; // in order
        std::size_t used = 0;      // pixels
        State state = State::Free;
    };

    Status add(const Piece& piece, const uint8_t* bgr);
    // Queues the band being filled and waits until the next one is free.
    Status queueAndDrain();
    void queueFilling(std::unique_lock<std::mutex>& lock);
    // Hands on the converted bands at the front, in order; stops at the first
    // that is not converted yet, or at the first failure.
    Status handOn(std::unique_lock<std::mutex>& lock);
    // Converts the oldest queued band, if there is one.
    bool convertOne(std::unique_lock<std::mutex>& lock);
    // Until band `until` is free (or every band is, with until < 0).
    Status drain(std::ptrdiff_t until);
    void help();

    const PictureColour& colour_;
    DecodedRows& out_;
    std::size_t width_;
    std::size_t bandRows_;
    std::vector<Band> bands_; // a ring: filling_ is being filled, oldest_ is next to hand on
    std::size_t filling_ = 0;
    std::size_t oldest_ = 0;
    std::mutex mutex_;
    std::condition_variable queued_, converted_;
    std::vector<std::thread> helpers_;
    std::exception_ptr failure_;
    bool stopping_ = false;
};

} // namespace tovrel
