#pragma once
// A plane projective map, as a camera sees a flat chart: from four point
// pairs, solved with Eigen.

#include <array>
#include <optional>

namespace tovrel {

struct PlanePoint {
    double x = 0;
    double y = 0;
};

class Homography {
  public:
    // The map taking from[i] to to[i]; none when the points are degenerate
    // (three on a line).
    static std::optional<Homography> fromPairs(const std::array<PlanePoint, 4>& from,
                                               const std::array<PlanePoint, 4>& to);

    PlanePoint map(PlanePoint p) const;

  private:
    std::array<double, 9> h_{}; // row major, h_[8] = 1
};

} // namespace tovrel
