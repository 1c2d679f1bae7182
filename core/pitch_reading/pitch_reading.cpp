#include "pitch_reading/pitch_reading.h"

#include "chart/chart_targets.h"
#include "chart/pitch_chart_file.h"
#include "chart/pitch_chart_rows.h"
#include "pitch_reading/band_moire.h"
#include "pitch_reading/pitch_fit.h"
#include "pitch_reading/target_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tovrel {

namespace {

const std::string kRetake = "请在明亮均匀的光线下，手机正对测试图重拍，让测试图占满画面。";
// Too small a chart shows its targets as blurs the finder cannot tell from
// the table's: both come here.
const std::string kNoTargets =
    "照片里找不到测试图四角的方形标记：没拍到整张测试图，或它在照片里太小。" + kRetake;
constexpr double kSmallestModule = 2.5;   // photo pixels per target module
constexpr double kShortestBand = 400;     // photo pixels along a band
constexpr double kFewestCycles = 1.5;     // along a band, for it to count
constexpr double kWeakestStripes = 0.05;  // relative modulation, at least
constexpr double kStrongestStripes = 1.5; // and at most: beyond, the light swamps them
constexpr double kWidestSpread = 0.05;    // of the phase about its line, cycles
constexpr double kFaintestShare = 0.4;    // of the bands' median modulation, at least
constexpr int kFewestStripedBands = 6;
constexpr double kWorstResidual = 0.25; // cycles along a band
constexpr double kGapBrighter = 1.04;   // a gap's brightness over its bands'
constexpr double kGapShare = 0.6;       // of the gaps that must show

// Where the chart's parts lie, in chart pixels.
struct ChartPlan {
    std::array<ChartTarget, 4> targets;
    std::vector<BandTrack> bands;
    std::vector<std::array<PlanePoint, 2>> gaps; // the centre line of each gap
    double mmPerPixel = 0;
};

ChartPlan planChart(const ChartLayout& l, const PitchChartSettings& s) {
    ChartPlan plan;
    plan.targets = chartTargets(l, s.resolution, s.horizontal);
    plan.mmPerPixel = 25.4 / s.resolution;
    const double size = double(plan.targets[0].size());
    // Along the bands: from the end of the labels to the chart's edge; the
    // first and last band lose the targets' squares at either end.
    const double start = double(s.horizontal ? l.title + l.margin : l.margin);
    const double end = double(s.horizontal ? l.height : l.width);
    const auto point = [&](double along, double across) {
        return s.horizontal ? PlanePoint{across, along} : PlanePoint{along, across};
    };
    for (int j = 0; j < l.bands; ++j) {
        const double first = double(l.bandStart(j, s.horizontal));
        const double middle = first + 0.5 * double(l.band);
        const bool edge = j == 0 || j == l.bands - 1;
        const double a = start + (edge ? size : 0);
        const double b = end - (edge ? size : 0);
        plan.bands.push_back({point(a, middle), point(b, middle), 0.3 * double(l.band)});
        if (j > 0) {
            const double gap = first - 0.5 * double(l.gap);
            plan.gaps.push_back({point(start + size, gap), point(end - size, gap)});
        }
    }
    return plan;
}

double length(PlanePoint a, PlanePoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Whether the white gaps between the bands show where the chart has them.
bool gapsShow(const GreyImage& photo, const Homography& h, const ChartPlan& plan, int samples) {
    std::vector<double> bands;
    for (const BandTrack& b : plan.bands) {
        bands.push_back(lineMean(photo, h, b.from, b.to, samples));
    }
    int showing = 0;
    for (std::size_t g = 0; g < plan.gaps.size(); ++g) {
        const double gap = lineMean(photo, h, plan.gaps[g][0], plan.gaps[g][1], samples);
        showing += gap > kGapBrighter * 0.5 * (bands[g] + bands[g + 1]);
    }
    return double(showing) >= kGapShare * double(plan.gaps.size());
}

} // namespace

Result<PitchReading> readPitch(const GreyImage& photo, const PitchChartSettings& settings,
                               const std::filesystem::path& fontFile) {
    // The chart as it was printed: one that could not be is refused alike.
    Result<ChartRows> rows = planPitchChart(settings, fontFile);
    if (!rows) {
        return rows.status();
    }
    const ChartLayout& layout = rows.value().layout();
    const ChartPlan plan = planChart(layout, settings);
    std::array<PlanePoint, 4> chartCentres;
    for (std::size_t i = 0; i < 4; ++i) {
        chartCentres[i] = {plan.targets[i].centreX(), plan.targets[i].centreY()};
    }
    const TargetFrame frame{length(chartCentres[0], chartCentres[1]),
                            length(chartCentres[0], chartCentres[3]),
                            double(plan.targets[0].module)};
    const std::optional<FoundTargets> found = findTargets(photo, frame);
    if (!found) {
        return Status::fail(kNoTargets);
    }
    const std::optional<Homography> h = Homography::fromPairs(chartCentres, found->centres);
    if (!h) {
        return Status::fail(kNoTargets);
    }
    const BandTrack& middle = plan.bands[plan.bands.size() / 2];
    const double shortest = std::min(length(h->map(middle.from), h->map(middle.to)),
                                     length(found->centres[0], found->centres[1]));
    if (found->module < kSmallestModule || shortest < kShortestBand) {
        return Status::fail(
            "测试图在照片里太小，看不清莫尔条纹。请靠近些，让测试图占满画面后重拍。");
    }
    const int samples = static_cast<int>(std::clamp(shortest, 64.0, 8192.0));
    if (!gapsShow(photo, *h, plan, samples)) {
        return Status::fail("照片里的标记之间看不出测试条之间的白缝。" + kRetake);
    }

    PitchReading reading;
    reading.targets = found->centres;
    const std::vector<double> pitches = chartPitches(settings);
    std::vector<BandFrequency> frequencies;
    std::vector<double> lengths;
    int striped = 0;
    // The fastest stripes any lens pitch within a step of the chart's bands
    // makes on them, per millimetre, with a step to spare.
    const double lowest = std::max(pitches.front() - 2 * settings.step, 0.5 * pitches.front());
    const double fastest = 1 / lowest - 1 / (pitches.back() + 2 * settings.step);
    for (std::size_t j = 0; j < plan.bands.size(); ++j) {
        const BandTrack& track = plan.bands[j];
        const std::array<PlanePoint, 2> ends{h->map(track.from), h->map(track.to)};
        const auto n = static_cast<int>(std::clamp(length(ends[0], ends[1]), 64.0, 8192.0));
        const double mm = length(track.from, track.to) * plan.mmPerPixel;
        const BandMoire m = measureBand(photo, *h, track, n, mm * fastest);
        const bool used = m.cycles >= kFewestCycles && m.amplitude >= kWeakestStripes &&
                          m.amplitude <= kStrongestStripes && m.spread <= kWidestSpread;
        frequencies.push_back({pitches[j], m.cycles / mm, used ? 1.0 : 0.0});
        lengths.push_back(mm);
        reading.bands.push_back({pitches[j], m.cycles, m.amplitude, used, ends});
    }
    // Every band's stripes show the grating's full contrast through the
    // lenses; "stripes" much fainter than the others' are the camera's noise.
    std::vector<double> amplitudes;
    for (const BandReading& b : reading.bands) {
        if (b.used) {
            amplitudes.push_back(b.amplitude);
        }
    }
    if (!amplitudes.empty()) {
        std::nth_element(amplitudes.begin(), amplitudes.begin() + amplitudes.size() / 2,
                         amplitudes.end());
        const double faintest = kFaintestShare * amplitudes[amplitudes.size() / 2];
        for (std::size_t j = 0; j < reading.bands.size(); ++j) {
            if (reading.bands[j].amplitude < faintest) {
                reading.bands[j].used = false;
                frequencies[j].weight = 0;
            }
            striped += reading.bands[j].used;
        }
    }
    const std::optional<VertexFit> fit = fitVertex(frequencies);
    if (!fit || fit->used < kFewestStripedBands) {
        return Status::fail("只有 " + std::to_string(fit ? fit->used : striped) +
                            " 条测试条看得出莫尔条纹，读不出栅距。请把光栅片盖在测试图上，"
                            "压平贴紧，" +
                            kRetake);
    }
    const double typical = lengths[lengths.size() / 2];
    if (fit->rms * typical > kWorstResidual || !std::isfinite(fit->pitch)) {
        return Status::fail("各测试条的莫尔条纹对不上（残差太大），读出的栅距不可靠。" + kRetake);
    }
    if (fit->pitch < pitches.front() - settings.step ||
        fit->pitch > pitches.back() + settings.step) {
        return Status::fail("栅距约为 " + pitchText(fit->pitch) +
                            " 毫米，在测试图的范围之外：请以它为标称栅距重新打印测试图再拍。");
    }
    reading.pitch = fit->pitch;
    reading.uncertainty = fit->uncertainty;
    for (std::size_t j = 0; j < reading.bands.size(); ++j) {
        reading.bands[j].cycles = fit->signedFrequency[j] * lengths[j];
        reading.bands[j].used = fit->kept[j];
        if (std::abs(pitches[j] - fit->pitch) <
            std::abs(pitches[std::size_t(reading.nearestBand)] - fit->pitch)) {
            reading.nearestBand = static_cast<int>(j);
        }
    }
    reading.nearestPitch = pitches[std::size_t(reading.nearestBand)];
    return reading;
}

Result<PitchReading> readPitchPhoto(const std::filesystem::path& photo,
                                    const PitchChartSettings& settings,
                                    const std::filesystem::path& fontFile) {
    Result<GreyImage> image = readPhoto(photo);
    if (!image) {
        return image.status();
    }
    return readPitch(image.value(), settings, fontFile);
}

std::string pitchText(double pitch) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", pitch);
    return text;
}

std::string readingSummary(const PitchReading& r, const PitchChartSettings& settings) {
    char uncertainty[32];
    std::snprintf(uncertainty, sizeof uncertainty, "%.6f", r.uncertainty);
    return "栅距 " + pitchText(r.pitch) + " ± " + uncertainty + " mm\n最接近第 " +
           std::to_string(r.nearestBand + 1) + " 条：" +
           bandLabel(r.nearestPitch, labelDecimals(settings));
}

} // namespace tovrel
