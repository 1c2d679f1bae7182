#include "intake/pixel_rules.h"

namespace tovrel {

namespace {

// Sample i of a row of `bits`-bit samples, in their own depth.
uint32_t sampleAt(const uint8_t* data, int bits, bool bigEndian, int64_t i) {
    switch (bits) {
    case 16: {
        const uint8_t* p = data + 2 * i;
        if (bigEndian) {
            return uint32_t{p[0]} << 8 | p[1];
        }
        uint16_t v;
        __builtin_memcpy(&v, p, 2);
        return v;
    }
    case 8:
        return data[i];
    default: {
        const int64_t bit = i * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        return (data[bit / 8] >> shift) & ((1u << bits) - 1);
    }
    }
}

} // namespace

void samplesToBgr(const SampleRow& row, int32_t count, uint8_t* bgr) {
    // Samples below 8 bits are stretched to 8 bits first; 16-bit samples
    // keep their depth until after compositing.
    const int depth = row.bits == 16 ? 16 : 8;
    const uint32_t M = depth == 16 ? 65535 : 255;
    const int colours = row.colours;
    auto sample = [&row](int64_t i) { return sampleAt(row.data, row.bits, row.bigEndian, i); };
    for (int32_t x = 0; x < count; ++x) {
        const int64_t first = int64_t{x} * row.stride;
        uint32_t c[3];
        for (int k = 0; k < colours; ++k) {
            uint32_t v = sample(first + k);
            if (row.bits < 8) {
                v = stretchLowBits(v, row.bits);
            }
            c[k] = row.inverted ? M - v : v;
        }
        if (colours == 1) {
            c[1] = c[2] = c[0];
        }
        if (row.alpha) {
            uint32_t a = sample(first + colours);
            if (row.bits < 8) {
                a = stretchLowBits(a, row.bits);
            }
            for (uint32_t& v : c) {
                v = row.premultiplied ? premultipliedOverWhite(v, a, M) : overWhite(v, a, M);
            }
        }
        uint8_t* out = bgr + int64_t{x} * 3;
        for (int k = 0; k < 3; ++k) {
            out[2 - k] = depth == 16 ? reduce16(c[k]) : static_cast<uint8_t>(c[k]);
        }
    }
}

void indicesToBgr(const uint8_t* data, int bits, int32_t count, const uint8_t* paletteBgr,
                  int entries, uint8_t* bgr) {
    for (int32_t x = 0; x < count; ++x) {
        const uint32_t index = sampleAt(data, bits, true, x);
        uint8_t* out = bgr + int64_t{x} * 3;
        if (index < static_cast<uint32_t>(entries)) {
            const uint8_t* entry = paletteBgr + index * 3;
            out[0] = entry[0];
            out[1] = entry[1];
            out[2] = entry[2];
        } else {
            out[0] = out[1] = out[2] = 0;
        }
    }
}

} // namespace tovrel
