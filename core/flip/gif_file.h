#pragma once
// A sweep of views as an animated GIF (giflib) that plays for ever: every
// frame with a palette of its own colours (gif_palette.h).

#include "common/status.h"
#include "flip/line_table.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tovrel {

// frame(i) gives frame i of `frames`, all of one size; each shows for
// delayCentiseconds. A frame that cannot be made ends the file with its
// failure.
Result<std::vector<uint8_t>> encodeGif(int32_t frames, int32_t delayCentiseconds,
                                       const std::function<Result<ViewImage>(int32_t)>& frame);

} // namespace tovrel
