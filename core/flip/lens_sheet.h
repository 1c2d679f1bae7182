#pragma once
// A simulated lens sheet laid over a print. Positions run along the lens axis
// (across the lenses), in output pixels from the print's left edge (vertical
// strips) or bottom edge (horizontal strips).
//
// The sheet's lenses are (1 + pitchError) x the print's lens width wide and
// start at the print's lens grid origin. Looking at the card from one angle,
// the eye looks into every lens at the same phase, a share of the lens's
// width from 0 to 1: lens k shows the output pixel at
// floor(origin + (k + phase) x (1 + pitchError) x width), and every point of
// the card under lens k takes that colour.

#include <cstdint>
#include <vector>

namespace tovrel {

// The print's own lens grid: the lens width in output pixels and where the
// grid starts.
struct PrintLensGrid {
    double width = 1;
    double origin = 0;
};

struct LensSheet {
    PrintLensGrid grid;
    double pitchError = 0; // 0.01 for lenses 1 % wider than the print's

    double lensWidth() const { return (1 + pitchError) * grid.width; }
    // The lens that covers a position.
    int64_t lensAt(double position) const;
    // The output pixel (0-based) that lens k shows at a phase.
    int64_t sampleOf(int64_t lens, double phase) const;
};

// The position at the centre of pixel i of a view `viewLength` pixels long
// over a print `printLength` output pixels long.
double viewCentre(int32_t i, int32_t viewLength, int64_t printLength);

// The output pixel (0-based) under the centre of view pixel i: how the view
// samples the axis along the lenses.
int64_t viewPixel(int32_t i, int32_t viewLength, int64_t printLength);

// For each pixel of a view along the lens axis, the output pixel (0-based)
// that its lens shows; beyond the print's edge, the edge pixel.
// Phases run over [0, 1): phase 1 would be the next lens's phase 0.
std::vector<int64_t> lensSamples(const LensSheet& sheet, int32_t viewLength, int64_t printLength,
                                 double phase);

// Every output pixel that any phase can show through the lenses under the
// view: whole lenses, in order, cut to the print.
std::vector<int64_t> reachableSamples(const LensSheet& sheet, int32_t viewLength,
                                      int64_t printLength);

} // namespace tovrel
