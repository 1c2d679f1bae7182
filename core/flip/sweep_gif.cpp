#include "flip/sweep_gif.h"

#include "flip/gif_file.h"

namespace tovrel {

Result<std::vector<uint8_t>> encodeSweepGif(FlipSimulator& simulator, ViewSize size,
                                            double pitchError) {
    // At least one phase for every frame, so the loop shows them all.
    const int32_t steps = sweepStepsFor(kSweepSteps, simulator.job().ViewCount);
    return encodeGif(sweepFrames(steps), kSweepDelay, [&](int32_t i) {
        return simulator.render(size, sweepPhase(i, steps), pitchError);
    });
}

} // namespace tovrel
