#pragma once
// The pitch test chart: a band of dark lines for each candidate pitch around
// a nominal one, printed and laid under the lens sheet so the user can see
// which pitch the sheet really has on that printer and paper.

#include "chart/paper.h"
#include "colour/pixel_format.h"
#include "common/status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovrel {

inline constexpr int kMaxChartBands = 201;

struct PitchChartSettings {
    double pitch = 0;        // nominal pitch, mm
    double range = 0;        // the bands reach from pitch - range to pitch + range, mm
    double step = 0;         // between neighbouring bands, mm
    double resolution = 0;   // pixels per inch the chart is printed at
    double widthCm = 18;     // every band across its lines, its label included
    double bandMm = 6;       // height of every band along its lines
    bool horizontal = false; // lines run across (horizontal strips); bands then stand side by side
    Paper paper = Paper::A4; // the chart fits its printable area, upright or turned
    OutputColour output;     // CMYK: the lines print in black ink alone
};

// The fields as the user typed them.
struct PitchChartTexts {
    std::string pitch;
    std::string range;
    std::string step;
    std::string resolution;
    std::string widthCm;
    std::string bandMm;
    bool horizontal = false;
    Paper paper = Paper::A4;
};

// The resolution a chart is made at unless the user picks another: the
// printer's resolution when prints are rendered at it (printerPpi above 0),
// else 720.
double defaultChartResolution(int32_t printerPpi);

// The chart for a nominal pitch: 1 % either way in steps of 0.05 % (41
// bands), 18 cm wide, bands 6 mm high, at the default resolution: it fits an
// A4 sheet.
PitchChartSettings defaultPitchChart(double pitch, int32_t printerPpi = 0);

// The texts of a chart's fields, in the general number format.
PitchChartTexts chartTexts(const PitchChartSettings& settings);

// Reads the fields as plain decimal numbers and checks them; the message
// names the field and what it must be. A number beyond the double range is
// refused by name before anything is computed from it.
Result<PitchChartSettings> readPitchChart(const PitchChartTexts& texts);

// Checks the values: all finite, a pitch above 0 and at most 3 mm, a range of
// 0 or more, a step of at least 0.000001 mm, at most 201 bands all above 0 and
// at most 3 mm, a resolution of 72 to 4800, a width of 15 to 300 cm, bands 6
// to 100 mm high.
Status checkPitchChart(const PitchChartSettings& settings);

// Number of bands: 2 n + 1, n the whole steps within the range (a range
// given as an exact multiple of the step counts whole).
int chartBandCount(const PitchChartSettings& settings);

// The pitch of every band, top (or left) band first: pitch + i * step for
// the whole i from -n to n, so the nominal pitch is the middle band and no
// band lies beyond the range. Computed from whole steps and freed of the
// binary fractions' last bits, so a limit given exactly is met exactly.
std::vector<double> chartPitches(const PitchChartSettings& settings);

// Decimals of the labels' millimetres: at least 4, and as many as the pitch
// and the step have, so neighbouring labels differ by exactly the step.
int labelDecimals(const PitchChartSettings& settings);

// "0.2540 mm  100.00 LPI": a band's label, and the batch tool's line.
std::string bandLabel(double pitch, int decimals);

// The title line: nominal pitch, step, resolution and line direction.
std::string chartTitle(const PitchChartSettings& settings);

// Pixels of a length in millimetres at the chart's resolution, at least 1.
int64_t chartPixels(const PitchChartSettings& settings, double mm);

// Grating period of a band, in pixels: resolution * pitch / 25.4, unrounded.
double chartPeriod(const PitchChartSettings& settings, double pitch);

} // namespace tovrel
