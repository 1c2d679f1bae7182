#pragma once
// Photographs of a printed pitch chart under a lens sheet, as a phone takes
// them: the chart seen through lenses of a true pitch (the flip preview's
// lens optics), then the camera: perspective and rotation, box filtering
// down to the photo's pixels, blur, uneven light, noise and JPEG.

#include "chart/pitch_chart.h"
#include "common/status.h"

#include <filesystem>

namespace tovrel::test {

struct ChartPhoto {
    double truePitch = 0.254; // the lens sheet's, mm
    double phase = 0.3;       // where in its lens the eye looks, 0 to 1
    double lensOrigin = 0;    // where the lens grid starts, chart pixels
    int width = 2400;         // the photo's pixels
    int height = 1800;
    double fill = 0.86;      // of the photo the chart's longer side spans
    double turnDegrees = 90; // the chart's turn on the photo
    double keystoneX = 0.03; // perspective: the far edge this much shorter
    double keystoneY = 0.01;
    double blur = 1.0;         // Gaussian sigma, photo pixels
    double lightFalloff = 0.3; // the darkest corner's light less
    double noise = 2;          // sigma, grey levels
    int quality = 88;          // JPEG
    bool withChart = true;     // false: the table alone
    bool underSheet = true;    // false: the chart without its lens sheet
    unsigned seed = 1;
    PitchChartSettings chart; // as printed
};

// A photograph of the default chart around 0.254 mm under lenses of
// truePitch, with the camera's distortions.
ChartPhoto distortedPhoto(double truePitch, double phase, double turn, double keystoneX,
                          double keystoneY, double blur, double light, double noise, int quality);

// A photograph with mild distortions drawn from `seed`: a true pitch anywhere
// within the default chart's bands, any phase, a turn of a few degrees from
// either way up, keystone, blur, light, noise and JPEG quality.
ChartPhoto randomPhoto(unsigned seed);

Status writeChartPhoto(const ChartPhoto& photo, const std::filesystem::path& jpegFile);

} // namespace tovrel::test
