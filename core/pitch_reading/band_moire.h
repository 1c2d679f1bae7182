#pragma once
// The moiré of one band, seen in the photograph: the band's brightness along
// its whole length, made into an analytic signal with an FFT (FFTW3), its
// phase unwrapped from end to end and fitted with a straight line. The
// line's slope is the number of stripe cycles along the band, refined by
// fitting a sinusoid over the whole length by least squares. A real signal
// cannot tell the stripes' direction, so the cycles come out unsigned here.

#include "pitch_reading/homography.h"
#include "pitch_reading/photo_image.h"

namespace tovrel {

// A band in chart pixels: its centre line from `from` to `to`, and how far
// either side of it to look.
struct BandTrack {
    PlanePoint from;
    PlanePoint to;
    double halfWidth = 0;
};

struct BandMoire {
    double cycles = 0;    // along the whole track, 0 or more
    double amplitude = 0; // of the stripes, relative to the band's mean brightness
    double spread = 0;    // RMS of the phase about its line, in cycles
};

// Samples: how many points along the track (at least 64). Stripes are
// sought up to maxCycles along the track: faster ones cannot be the moiré
// of any lens pitch the chart covers (the camera's own aliasing of the
// lines, JPEG's blocks).
BandMoire measureBand(const GreyImage& photo, const Homography& chartToPhoto, const BandTrack& band,
                      int samples, double maxCycles);

// The band's mean brightness along a line of the chart.
double lineMean(const GreyImage& photo, const Homography& chartToPhoto, PlanePoint from,
                PlanePoint to, int samples);

} // namespace tovrel
