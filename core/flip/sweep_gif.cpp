#include "flip/sweep_gif.h"

#include "flip/gif_file.h"

namespace tovrel {

Result<std::vector<uint8_t>> encodeSweepGif(FlipSimulator& simulator, ViewSize size,
                                            double pitchError) {
    return encodeGif(sweepFrames(kSweepSteps), kSweepDelay, [&](int32_t i) {
        return simulator.render(size, sweepPhase(i, kSweepSteps), pitchError);
    });
}

} // namespace tovrel
