#include "pitch_reading/homography.h"

#include <Eigen/Dense>
#include <cmath>

namespace tovrel {

std::optional<Homography> Homography::fromPairs(const std::array<PlanePoint, 4>& from,
                                                const std::array<PlanePoint, 4>& to) {
    // u = (h0 x + h1 y + h2) / (h6 x + h7 y + 1), v likewise with h3 h4 h5:
    // two linear equations per pair.
    Eigen::Matrix<double, 8, 8> a;
    Eigen::Matrix<double, 8, 1> b;
    for (int i = 0; i < 4; ++i) {
        const double x = from[std::size_t(i)].x;
        const double y = from[std::size_t(i)].y;
        const double u = to[std::size_t(i)].x;
        const double v = to[std::size_t(i)].y;
        a.row(2 * i) << x, y, 1, 0, 0, 0, -u * x, -u * y;
        a.row(2 * i + 1) << 0, 0, 0, x, y, 1, -v * x, -v * y;
        b(2 * i) = u;
        b(2 * i + 1) = v;
    }
    const Eigen::FullPivLU<Eigen::Matrix<double, 8, 8>> lu(a);
    if (!lu.isInvertible()) {
        return std::nullopt;
    }
    const Eigen::Matrix<double, 8, 1> h = lu.solve(b);
    Homography result;
    for (int i = 0; i < 8; ++i) {
        result.h_[std::size_t(i)] = h(i);
    }
    result.h_[8] = 1;
    if (!std::isfinite(h.sum())) {
        return std::nullopt;
    }
    return result;
}

PlanePoint Homography::map(PlanePoint p) const {
    const double w = h_[6] * p.x + h_[7] * p.y + h_[8];
    return {(h_[0] * p.x + h_[1] * p.y + h_[2]) / w, (h_[3] * p.x + h_[4] * p.y + h_[5]) / w};
}

} // namespace tovrel
