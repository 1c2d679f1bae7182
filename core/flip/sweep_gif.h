#pragma once
// The looping sweep saved for approval, the same from the window and the
// batch tool: the card tilted to and fro through the phases as an animated GIF.

#include "common/status.h"
#include "flip/flip_simulator.h"

#include <cstdint>
#include <vector>

namespace tovrel {

inline constexpr int32_t kSweepSteps = 16; // phases each way
inline constexpr int32_t kSweepDelay = 8;  // hundredths of a second per frame

Result<std::vector<uint8_t>> encodeSweepGif(FlipSimulator& simulator, ViewSize size,
                                            double pitchError);

} // namespace tovrel
