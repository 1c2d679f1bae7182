#pragma once
// The print size proposed for the chosen pictures, in centimetres, as the
// texts to write into the width and height boxes.

#include "job/job_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace tovrel {

// The common frame's width at the first picture's resolution, to 0.01 cm:
// N(BaseW * 10000 / ImgRes(1)) / 100, worked out in double precision so that
// no frame width overflows. Nothing when there is no frame (BaseW or BaseH 0
// or below) or when ImgRes(1) is 0 or below.
std::optional<std::string> proposedWidthText(const JobState& job);

// The height that goes with the width box's text as it reads after the
// proposed width was set: N(v * 100 / aspect) / 100. Nothing unless aspect is
// positive.
std::optional<std::string> proposedHeightText(std::string_view widthText, float aspect);

} // namespace tovrel
