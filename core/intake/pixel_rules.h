#pragma once
// How decoded samples become the 8-bit blue, green, red bytes a run reads:
// 8-bit samples as stored, 1-, 2- and 4-bit samples stretched to 0..255,
// 16-bit samples rounded to the nearest 8-bit value, grey as R = G = B, and
// alpha composited over white in the samples' own depth before any reduction.

#include <cstdint>

namespace tovrel {

// round(v * 255 / 65535); no value lies half-way.
constexpr uint8_t reduce16(uint32_t v) {
    return static_cast<uint8_t>((2 * v + 257) / 514);
}

// v * 255 / (2^bits - 1) for bits 1, 2 and 4 (exact: 255, 85, 17 times v).
constexpr uint8_t stretchLowBits(uint32_t v, int bits) {
    return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
}

// round((c * a + M * (M - a)) / M), halves rounded up: c over white.
constexpr uint32_t overWhite(uint32_t c, uint32_t a, uint32_t M) {
    const uint64_t twice = 2 * (uint64_t{c} * a + uint64_t{M} * (M - a)) + M;
    return static_cast<uint32_t>(twice / (2 * uint64_t{M}));
}

// A premultiplied sample over white: c + (M - a), at most M.
constexpr uint32_t premultipliedOverWhite(uint32_t c, uint32_t a, uint32_t M) {
    const uint32_t v = c + (M - a);
    return v > M ? M : v;
}

// One row of samples as a decoder holds it, pixel after pixel, each pixel
// `stride` samples of `bits` bits: 1 (grey) or 3 (RGB) colours, then alpha
// when there is one; further samples are skipped. Samples of fewer than 8
// bits are packed from the high bit down; 16-bit samples are big-endian or in
// the machine's order.
struct SampleRow {
    const uint8_t* data = nullptr;
    int colours = 3;
    bool alpha = false;
    int stride = 3;
    int bits = 8;
    bool bigEndian = true;      // for 16-bit samples
    bool premultiplied = false; // alpha already multiplied into the colours
    bool inverted = false;      // grey where 0 is white
};

// Writes `count` pixels of `row` as blue, green, red bytes into bgr.
void samplesToBgr(const SampleRow& row, int32_t count, uint8_t* bgr);

// Writes `count` palette indices of `bits` bits (packed from the high bit
// down) as the palette's blue, green, red bytes; an index past the palette's
// end gives black.
void indicesToBgr(const uint8_t* data, int bits, int32_t count, const uint8_t* paletteBgr,
                  int entries, uint8_t* bgr);

} // namespace tovrel
