#pragma once
// The V of the bands' moiré frequencies. Under lenses of pitch P a band of
// pitch p shows stripes at 1/p - 1/P cycles per millimetre: a straight line
// in 1/p through zero at 1/P, whose magnitude is the V the photograph shows.
// The fit gives each band its sign (those on one side of the vertex plus,
// the others minus), fits the line by weighted least squares (Eigen), and
// reads the pitch where it crosses zero.

#include <optional>
#include <vector>

namespace tovrel {

struct BandFrequency {
    double pitch = 0;     // the band's, mm
    double frequency = 0; // its stripes' cycles per millimetre, 0 or more
    double weight = 0;    // 0 leaves the band out
};

struct VertexFit {
    double pitch = 0;                    // mm, where the line crosses zero
    double uncertainty = 0;              // mm, one standard deviation from the bands' scatter
    double slope = 0;                    // cycles per mm per (1 / mm); 1 in theory
    double rms = 0;                      // the weighted residual, cycles per mm
    int used = 0;                        // bands in the fit
    std::vector<double> signedFrequency; // per band, with its sign from the fit
    std::vector<bool> kept;              // per band: in the final fit
};

// Needs at least four weighted bands; none when it has fewer. Bands whose
// residual exceeds three times the fit's RMS are dropped, one at a time.
std::optional<VertexFit> fitVertex(std::vector<BandFrequency> bands);

} // namespace tovrel
