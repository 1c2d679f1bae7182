#include "pitch_reading/pitch_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>

namespace tovrel {

namespace {

constexpr int kFewestBands = 4;
constexpr double kOutlierFactor = 3; // residuals beyond this many RMS are outliers

struct LineFit {
    double slope = 0;
    double intercept = 0;
    double rss = 0;
    Eigen::Matrix2d inverse; // of the normal matrix
};

// frequency = slope / p + intercept, bands before `split` plus, the rest minus.
LineFit fitSplit(const std::vector<BandFrequency>& bands, std::size_t split) {
    Eigen::Matrix2d normal = Eigen::Matrix2d::Zero();
    Eigen::Vector2d rhs = Eigen::Vector2d::Zero();
    for (std::size_t j = 0; j < bands.size(); ++j) {
        const BandFrequency& b = bands[j];
        const Eigen::Vector2d x(1 / b.pitch, 1);
        const double y = j < split ? b.frequency : -b.frequency;
        normal += b.weight * x * x.transpose();
        rhs += b.weight * y * x;
    }
    LineFit fit;
    fit.inverse = normal.inverse();
    const Eigen::Vector2d c = fit.inverse * rhs;
    fit.slope = c(0);
    fit.intercept = c(1);
    for (std::size_t j = 0; j < bands.size(); ++j) {
        const BandFrequency& b = bands[j];
        const double y = j < split ? b.frequency : -b.frequency;
        const double r = y - fit.slope / b.pitch - fit.intercept;
        fit.rss += b.weight * r * r;
    }
    return fit;
}

// The standard deviation of the vertex in 1/p, in two parts. The bands'
// scatter about the line, as it moves the vertex through the fit: each band's
// residual weighted by its leverage (a sandwich estimate, HC3), which stays
// honest where the bands nearest the vertex scatter more than the rest. And
// the part of the scatter the bands share (the same lenses sample every
// band, the same perspective maps it, the same light falls on it), which no
// count of bands averages away: an arm's line may stand off as a whole by
// the typical residual, and the two arms do so independently.
double vertexUncertainty(const std::vector<BandFrequency>& bands, std::size_t split,
                         const LineFit& fit) {
    const double a = fit.slope;
    const double c = fit.intercept;
    Eigen::Matrix2d meat = Eigen::Matrix2d::Zero();
    std::array<int, 2> arms{};
    int used = 0;
    for (std::size_t j = 0; j < bands.size(); ++j) {
        const BandFrequency& b = bands[j];
        if (b.weight <= 0) {
            continue;
        }
        const Eigen::Vector2d x(1 / b.pitch, 1);
        const double y = j < split ? b.frequency : -b.frequency;
        const double r = y - a * x(0) - c;
        const double leverage = b.weight * x.dot(fit.inverse * x);
        const double scaled = b.weight * r / std::max(1 - leverage, 0.05);
        meat += scaled * scaled * x * x.transpose();
        ++arms[j < split ? 0 : 1];
        ++used;
    }
    // u0 = -c/a: its gradient in (a, c) is (c/a², -1/a).
    const Eigen::Vector2d gradient(c / (a * a), -1 / a);
    const double scatter = gradient.dot(fit.inverse * meat * fit.inverse * gradient);
    const double typical = fit.rss / std::max(used - 2, 1) / (a * a);
    const int sides = std::max(1, int(arms[0] >= 2) + int(arms[1] >= 2));
    return std::sqrt(std::max(0.0, scatter) + typical / sides);
}

std::optional<VertexFit> fitOnce(const std::vector<BandFrequency>& bands) {
    int used = 0;
    for (const BandFrequency& b : bands) {
        used += b.weight > 0;
    }
    if (used < kFewestBands) {
        return std::nullopt;
    }
    std::optional<LineFit> best;
    std::size_t bestSplit = 0;
    for (std::size_t split = 0; split <= bands.size(); ++split) {
        const LineFit fit = fitSplit(bands, split);
        // Bands of smaller pitch show stripes of the same sign: the line falls.
        if (fit.slope > 0 && (!best || fit.rss < best->rss)) {
            best = fit;
            bestSplit = split;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    VertexFit v;
    const double a = best->slope;
    const double c = best->intercept;
    // Zero at 1/p = -c/a.
    const double u0 = -c / a;
    v.pitch = 1 / u0;
    v.slope = a;
    v.used = used;
    double weights = 0;
    for (const BandFrequency& b : bands) {
        weights += b.weight;
    }
    v.rms = std::sqrt(best->rss / weights);
    v.uncertainty = vertexUncertainty(bands, bestSplit, *best) / (u0 * u0);
    for (std::size_t j = 0; j < bands.size(); ++j) {
        v.signedFrequency.push_back(j < bestSplit ? bands[j].frequency : -bands[j].frequency);
        v.kept.push_back(bands[j].weight > 0);
    }
    return v;
}

} // namespace

std::optional<VertexFit> fitVertex(std::vector<BandFrequency> bands) {
    std::optional<VertexFit> fit = fitOnce(bands);
    // Bands far off the line (stripes misread near the vertex, a smudge) are
    // left out one at a time, the worst first, and the line fitted again.
    while (fit) {
        std::size_t worst = bands.size();
        double worstResidual = kOutlierFactor * fit->rms;
        for (std::size_t j = 0; j < bands.size(); ++j) {
            const double line = fit->slope * (1 / bands[j].pitch - 1 / fit->pitch);
            const double residual = std::abs(fit->signedFrequency[j] - line);
            if (bands[j].weight > 0 && residual > worstResidual) {
                worst = j;
                worstResidual = residual;
            }
        }
        if (worst == bands.size()) {
            break;
        }
        bands[worst].weight = 0;
        std::optional<VertexFit> again = fitOnce(bands);
        if (!again) {
            break;
        }
        fit = again;
    }
    return fit;
}

} // namespace tovrel
