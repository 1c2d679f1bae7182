#pragma once
// Reads the lens pitch from a photograph of a printed pitch test chart lying
// under the lens sheet: finds the chart by its corner targets, maps it back
// flat (homography), measures every band's moiré and fits the V of their
// frequencies; the vertex is the pitch the sheet shows on that print.

#include "chart/chart_font.h"
#include "chart/pitch_chart.h"
#include "common/status.h"
#include "pitch_reading/homography.h"
#include "pitch_reading/photo_image.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrel {

struct BandReading {
    double pitch = 0;               // the band's, mm
    double cycles = 0;              // its stripes along its length, signed by the fit
    double amplitude = 0;           // relative to its brightness
    bool used = false;              // in the fit
    std::array<PlanePoint, 2> ends; // its centre line's ends on the photograph
};

struct PitchReading {
    double pitch = 0;       // mm
    double uncertainty = 0; // mm, one standard deviation
    int nearestBand = 0;    // 0 = the first (top or left) band
    double nearestPitch = 0;
    std::array<PlanePoint, 4>
        targets; // on the photograph: top-left, top-right, bottom-right, bottom-left
    std::vector<BandReading> bands;
};

// settings: the chart that was printed, as the user made it.
Result<PitchReading> readPitch(const GreyImage& photo, const PitchChartSettings& settings,
                               const std::filesystem::path& fontFile = chartFontFile());
Result<PitchReading> readPitchPhoto(const std::filesystem::path& photo,
                                    const PitchChartSettings& settings,
                                    const std::filesystem::path& fontFile = chartFontFile());

// The pitch as the result's last line gives it: millimetres to 6 decimals.
std::string pitchText(double pitch);

// "栅距 0.254031 ± 0.000004 mm" and the nearest band, in two lines.
std::string readingSummary(const PitchReading& reading, const PitchChartSettings& settings);

} // namespace tovrel
