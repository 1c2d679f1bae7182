#include "tools/batch_simulate.h"

#include "flip/png_file.h"
#include "flip/saved_file.h"
#include "params/pitch_store.h"

namespace tovrel {

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
    Result<ViewImage> view =
        simulator.value().render(size, *options.simulate, options.pitchError.value_or(0) / 100);
    if (!view) {
        return view.status();
    }
    Result<std::vector<uint8_t>> png = encodePng(view.value());
    if (!png) {
        return png.status();
    }
    if (Status saved = saveFile(target.value(), png.value()); !saved) {
        return saved;
    }
    return size;
}

} // namespace tovrel
