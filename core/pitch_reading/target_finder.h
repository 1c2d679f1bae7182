#pragma once
// Finds the chart's four corner targets in a photograph: dark rings with a
// dark centre (the bottom-left one without), picked out of a locally
// thresholded picture as connected regions, then the four whose shape fits
// the chart's own proportions.

#include "pitch_reading/homography.h"
#include "pitch_reading/photo_image.h"

#include <array>
#include <optional>

namespace tovrel {

// What the chart says about its targets: their centres' rectangle and the
// size of a module, all in chart pixels.
struct TargetFrame {
    double width = 0;  // from the left targets' centres to the right ones'
    double height = 0; // from the top targets' centres to the bottom ones'
    double module = 1;
};

struct FoundTargets {
    std::array<PlanePoint, 4> centres; // top-left, top-right, bottom-right, bottom-left
    double module = 0;                 // photo pixels per module, the four's median
};

std::optional<FoundTargets> findTargets(const GreyImage& photo, const TargetFrame& frame);

} // namespace tovrel
