#include "flip/lens_sheet.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

int64_t LensSheet::lensAt(double position) const {
    return static_cast<int64_t>(std::floor((position - grid.origin) / lensWidth()));
}

int64_t LensSheet::sampleOf(int64_t lens, double phase) const {
    return static_cast<int64_t>(std::floor(grid.origin + (static_cast<double>(lens) + phase) *
                                                             (1 + pitchError) * grid.width));
}

double viewCentre(int32_t i, int32_t viewLength, int64_t printLength) {
    return (i + 0.5) * static_cast<double>(printLength) / viewLength;
}

int64_t viewPixel(int32_t i, int32_t viewLength, int64_t printLength) {
    const auto pixel = static_cast<int64_t>(std::floor(viewCentre(i, viewLength, printLength)));
    return std::clamp<int64_t>(pixel, 0, printLength - 1);
}

std::vector<int64_t> lensSamples(const LensSheet& sheet, int32_t viewLength, int64_t printLength,
                                 double phase) {
    std::vector<int64_t> samples(static_cast<std::size_t>(viewLength));
    for (int32_t i = 0; i < viewLength; ++i) {
        const int64_t a =
            sheet.sampleOf(sheet.lensAt(viewCentre(i, viewLength, printLength)), phase);
        // A lens cut by the card's edge shows the print's edge pixel there,
        // as the card's edges show the pictures' edge pixels.
        samples[std::size_t(i)] = std::clamp<int64_t>(a, 0, printLength - 1);
    }
    return samples;
}

std::vector<int64_t> reachableSamples(const LensSheet& sheet, int32_t viewLength,
                                      int64_t printLength) {
    std::vector<int64_t> samples;
    int64_t last = -1; // the last position listed
    for (int32_t i = 0; i < viewLength; ++i) {
        const int64_t lens = sheet.lensAt(viewCentre(i, viewLength, printLength));
        const int64_t from = std::max({sheet.sampleOf(lens, 0), last + 1, int64_t{0}});
        const int64_t to = std::min(sheet.sampleOf(lens, 1), printLength - 1);
        for (int64_t a = from; a <= to; ++a) {
            samples.push_back(a);
        }
        last = std::max(last, to);
    }
    return samples;
}

} // namespace tovrel
