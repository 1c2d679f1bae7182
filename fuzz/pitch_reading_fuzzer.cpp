// Any bytes as a small photograph of the default chart, or as the bands'
// moiré frequencies. The reader must refuse with a message or give a finite
// pitch within a step of the chart's bands; the V's fit must keep at least
// its fewest bands and count them as it says.
//
// Input: a mode byte. Even: a width and a height byte (16 to 143 pixels
// each), then grey levels row by row (zero past the end). Odd: for each of
// the chart's bands a frequency (16 bits, in thousandths of a cycle per
// millimetre) and a byte whose low bit puts the band into the fit.

#include "fuzz/fuzz_support.h"

#include "chart/pitch_chart.h"
#include "pitch_reading/pitch_fit.h"
#include "pitch_reading/pitch_reading.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tovrel;
    fuzz::FuzzInput in(data, size);
    static const PitchChartSettings chart = defaultPitchChart(0.254);
    static const std::vector<double> pitches = chartPitches(chart);
    if (in.byte() % 2 == 0) {
        GreyImage photo(16 + in.byte() % 128, 16 + in.byte() % 128);
        for (float& v : photo.pixels) {
            v = in.byte();
        }
        const Result<PitchReading> read = readPitch(photo, chart);
        FUZZ_CHECK(read || !read.message().empty());
        if (read) {
            const double p = read.value().pitch;
            FUZZ_CHECK(std::isfinite(p) && p >= pitches.front() - chart.step &&
                       p <= pitches.back() + chart.step);
        }
        return 0;
    }
    std::vector<BandFrequency> bands;
    for (const double pitch : pitches) {
        const double frequency = in.u16() / 1000.0;
        bands.push_back({pitch, frequency, in.byte() & 1 ? 1.0 : 0.0});
    }
    const std::optional<VertexFit> fit = fitVertex(bands);
    if (fit) {
        FUZZ_CHECK(fit->used >= 4 && fit->kept.size() == bands.size());
        FUZZ_CHECK(fit->used == std::count(fit->kept.begin(), fit->kept.end(), true));
        FUZZ_CHECK(!(fit->uncertainty < 0));
    }
    return 0;
}
