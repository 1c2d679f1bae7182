#include "tools/batch_simulate.h"

#include "flip/png_file.h"
#include "flip/saved_file.h"
#include "flip/sweep_gif.h"
#include "params/pitch_store.h"

namespace tovrel {

namespace {
Result<std::vector<uint8_t>> encodeView(FlipSimulator& simulator, ViewSize size, double phase,
                                        double pitchError) {
    Result<ViewImage> view = simulator.render(size, phase, pitchError);
    if (!view) {
        return view.status();
    }
    return encodePng(view.value());
}
} // namespace

Result<ViewSize> simulateBatch(const BatchRun& run, const BatchOptions& options) {
    Result<std::filesystem::path> target = exportTarget(run.job, *options.simulateOut);
    if (!target) {
        return target.status();
    }
    if (Status notData = PitchStore(run.dataFolder).checkOutputPath(target.value()); !notData) {
        return notData;
    }
    Result<FlipSimulator> simulator = FlipSimulator::prepare(run.job, run.settings);
    if (!simulator) {
        return simulator.status();
    }
    const ViewSize size = simulator.value().viewSize(options.simulateWidth);
    const double pitchError = options.pitchError.value_or(0) / 100;
    Result<std::vector<uint8_t>> bytes =
        simulationFormat(*options.simulateOut) == SimulationFormat::Gif
            ? encodeSweepGif(simulator.value(), size, pitchError)
            : encodeView(simulator.value(), size, *options.simulate, pitchError);
    if (!bytes) {
        return bytes.status();
    }
    if (Status saved = saveFile(target.value(), bytes.value()); !saved) {
        return saved;
    }
    return size;
}

} // namespace tovrel
