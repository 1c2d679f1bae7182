#pragma once
// A grating of dark lines at a fractional period, as whole pixels: the first
// half of every period is black, the second half white, and a pixel only
// partly covered by a line gets the grey of its uncovered share, so that a
// period that is no whole number of pixels prints true instead of jittering
// between whole-pixel widths.

#include <cstdint>
#include <span>

namespace tovrel {

class Grating {
  public:
    // period: pixels per line and gap (above 0). origin: the position, in
    // pixels from the start of pixel 0, where a line starts.
    Grating(double period, double origin);

    // Grey of pixel i (covering [i, i + 1)): round(255 * uncovered share),
    // halves to even. Coverage counts area, without gamma.
    uint8_t grey(int64_t i) const;

    // out[k] = grey(first + k).
    void fill(std::span<uint8_t> out, int64_t first) const;

  private:
    // Black length in [origin, origin + t), for t of any sign.
    double blackUpTo(double t) const;

    double period_;
    double origin_;
};

} // namespace tovrel
