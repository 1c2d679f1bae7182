#include "pitch_reading/band_moire.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>
#include <memory>
#include <numbers>
#include <vector>

namespace tovrel {

namespace {

constexpr int kLinesAcross = 7;
// Ends of the track left out of the phase line: the FFT's wrap-around
// disturbs them.
constexpr double kEndShare = 0.04;

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};
struct PlanFree {
    void operator()(fftw_plan_s* p) const { fftw_destroy_plan(p); }
};
using Plan = std::unique_ptr<fftw_plan_s, PlanFree>;

template <typename T> std::unique_ptr<T[], FftwFree> fftwArray(std::size_t n) {
    return std::unique_ptr<T[], FftwFree>(static_cast<T*>(fftw_malloc(sizeof(T) * n)));
}

PlanePoint along(const BandTrack& b, double t, double s) {
    const double dx = b.to.x - b.from.x;
    const double dy = b.to.y - b.from.y;
    const double len = std::hypot(dx, dy);
    return {b.from.x + t * dx - s * dy / len, b.from.y + t * dy + s * dx / len};
}

// Brightness along the track relative to its mean, less one (`raw`), and
// divided by its own quadratic trend less one (`flat`): the stripes' relative
// modulation, free of the light's slow change. Over only a few cycles the
// trend takes up part of the stripes, so the flat profile serves the first
// estimate and the raw one the final fit, which fits trend and stripes
// together.
struct Profile {
    std::vector<double> raw;
    std::vector<double> flat;
};

Profile profile(const GreyImage& photo, const Homography& h, const BandTrack& band, int n) {
    std::vector<double> p(std::size_t(n), 0.0);
    for (int i = 0; i < n; ++i) {
        const double t = (i + 0.5) / n;
        for (int k = 0; k < kLinesAcross; ++k) {
            const double s = band.halfWidth * (2.0 * k / (kLinesAcross - 1) - 1);
            const PlanePoint q = h.map(along(band, t, s));
            p[std::size_t(i)] += photo.sample(q.x, q.y) / kLinesAcross;
        }
    }
    Eigen::MatrixXd a(n, 3);
    Eigen::VectorXd b(n);
    for (int i = 0; i < n; ++i) {
        const double t = (i + 0.5) / n - 0.5;
        a.row(i) << 1, t, t * t;
        b(i) = p[std::size_t(i)];
    }
    const Eigen::VectorXd c = a.colPivHouseholderQr().solve(b);
    const Eigen::VectorXd trend = a * c;
    const double mean = std::max(b.mean(), 1.0);
    Profile out{std::vector<double>(std::size_t(n)), std::vector<double>(std::size_t(n))};
    for (int i = 0; i < n; ++i) {
        out.raw[std::size_t(i)] = p[std::size_t(i)] / mean - 1;
        out.flat[std::size_t(i)] = p[std::size_t(i)] / std::max(trend(i), 1.0) - 1;
    }
    return out;
}

// The residual of the stripes' brightness about a sinusoid of `cycles`
// along the band over a quadratic trend, fitted by least squares.
double sinusoidMisfit(const std::vector<double>& p, double cycles) {
    const auto n = static_cast<Eigen::Index>(p.size());
    Eigen::MatrixXd a(n, 5);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double t = (double(i) + 0.5) / double(n) - 0.5;
        const double angle = 2 * std::numbers::pi * cycles * t;
        a.row(i) << 1, t, t * t, std::cos(angle), std::sin(angle);
        b(i) = p[std::size_t(i)];
    }
    const Eigen::VectorXd c = a.colPivHouseholderQr().solve(b);
    return (a * c - b).squaredNorm();
}

// The cycles within half a cycle of a first estimate at which a sinusoid
// fits best (golden-section search): free of the analytic signal's ends.
double refineCycles(const std::vector<double>& p, double estimate) {
    constexpr double kGolden = 0.6180339887498949;
    double lo = std::max(0.0, estimate - 0.5);
    double hi = estimate + 0.5;
    double x1 = hi - kGolden * (hi - lo);
    double x2 = lo + kGolden * (hi - lo);
    double f1 = sinusoidMisfit(p, x1);
    double f2 = sinusoidMisfit(p, x2);
    while (hi - lo > 1e-5) {
        if (f1 < f2) {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - kGolden * (hi - lo);
            f1 = sinusoidMisfit(p, x1);
        } else {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + kGolden * (hi - lo);
            f2 = sinusoidMisfit(p, x2);
        }
    }
    return 0.5 * (lo + hi);
}

} // namespace

double lineMean(const GreyImage& photo, const Homography& h, PlanePoint from, PlanePoint to,
                int samples) {
    double sum = 0;
    for (int i = 0; i < samples; ++i) {
        const double t = (i + 0.5) / samples;
        const PlanePoint q = h.map({from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)});
        sum += photo.sample(q.x, q.y);
    }
    return sum / samples;
}

BandMoire measureBand(const GreyImage& photo, const Homography& h, const BandTrack& band,
                      int samples, double maxCycles) {
    const int n = std::max(samples, 64);
    const Profile both = profile(photo, h, band, n);
    const std::vector<double>& p = both.flat;
    // Zero-padded to twice the length, so the wrap-around meets silence.
    const int padded = 2 * n;
    const int half = padded / 2 + 1;
    auto real = fftwArray<double>(std::size_t(padded));
    auto spectrum = fftwArray<fftw_complex>(std::size_t(half));
    auto full = fftwArray<fftw_complex>(std::size_t(padded));
    const Plan forward(fftw_plan_dft_r2c_1d(padded, real.get(), spectrum.get(), FFTW_ESTIMATE));
    const Plan backward(
        fftw_plan_dft_1d(padded, full.get(), full.get(), FFTW_BACKWARD, FFTW_ESTIMATE));
    std::fill(real.get(), real.get() + padded, 0.0);
    std::copy(p.begin(), p.end(), real.get());
    fftw_execute(forward.get());

    // The strongest stripes from one cycle along the band up to the most
    // the chart allows (bin k of the padded spectrum is k / 2 cycles along
    // the band).
    int peak = 2;
    double strongest = -1;
    const int highest = std::clamp(static_cast<int>(std::ceil(2 * maxCycles)), 3, half);
    for (int k = 2; k < highest; ++k) {
        const double power = spectrum[k][0] * spectrum[k][0] + spectrum[k][1] * spectrum[k][1];
        if (power > strongest) {
            strongest = power;
            peak = k;
        }
    }
    // The analytic signal of the stripes' fundamental: positive frequencies
    // from half the peak's to 1.7 times it, which leaves out the light's slow
    // change below and the stripes' third harmonic above.
    const int lo = std::max(1, peak / 2);
    const int hi = std::min(half - 1, static_cast<int>(std::ceil(1.7 * peak)));
    for (int k = 0; k < padded; ++k) {
        const bool kept = k >= lo && k <= hi;
        full[k][0] = kept ? 2 * spectrum[k][0] / padded : 0;
        full[k][1] = kept ? 2 * spectrum[k][1] / padded : 0;
    }
    fftw_execute(backward.get());

    // The phase unwrapped along the band, and its line weighted by the
    // stripes' strength.
    const int first = static_cast<int>(kEndShare * n);
    const int last = n - first;
    double sw = 0, st = 0, sp = 0, stt = 0, stp = 0, amplitude = 0;
    double previous = 0;
    double unwrapped = 0;
    std::vector<double> phases(static_cast<std::size_t>(n));
    std::vector<double> weights(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::complex<double> z(full[i][0], full[i][1]);
        const double angle = std::arg(z);
        if (i > 0) {
            double step = angle - previous;
            step -= 2 * std::numbers::pi * std::round(step / (2 * std::numbers::pi));
            unwrapped += step;
        }
        previous = angle;
        phases[std::size_t(i)] = unwrapped;
        weights[std::size_t(i)] = std::norm(z);
    }
    for (int i = first; i < last; ++i) {
        const double w = weights[std::size_t(i)];
        const double t = (i + 0.5) / n;
        sw += w;
        st += w * t;
        sp += w * phases[std::size_t(i)];
        stt += w * t * t;
        stp += w * t * phases[std::size_t(i)];
        amplitude += std::sqrt(w);
    }
    BandMoire m;
    const double det = sw * stt - st * st;
    if (!(sw > 0) || !(det > 0)) {
        return m;
    }
    const double slope = (sw * stp - st * sp) / det;
    const double offset = (sp - slope * st) / sw;
    double spread = 0;
    for (int i = first; i < last; ++i) {
        const double d = phases[std::size_t(i)] - offset - slope * (i + 0.5) / n;
        spread += weights[std::size_t(i)] * d * d;
    }
    m.cycles = refineCycles(both.raw, std::abs(slope) / (2 * std::numbers::pi));
    m.amplitude = amplitude / (last - first);
    m.spread = std::sqrt(spread / sw) / (2 * std::numbers::pi);
    return m;
}

} // namespace tovrel
