#pragma once
// The output resolution in the two forms a TIFF carries it: the 16.16 fixed
// point of the image resource (tag 34377) and the XResolution/YResolution
// rational. Both come from the same rounded value, so every reader sees one
// resolution.

#include <array>
#include <cstdint>

namespace tovrel {

// fbl pixels per inch times 65536, rounded half to even; 0 below 0 (and for
// NaN), the largest 32-bit value beyond it.
uint32_t resolutionFixed(float fbl);

// resolutionFixed as four big-endian bytes, as the image resource holds it.
std::array<uint8_t, 4> resolutionBytes(float fbl);

struct Rational {
    uint32_t numerator;
    uint32_t denominator;
};

// resolutionFixed / 65536, reduced.
Rational resolutionRational(float fbl);

} // namespace tovrel
