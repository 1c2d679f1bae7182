#pragma once
// The batch tool's flip preview: the card a run would print, seen through its
// lenses at one viewing phase, saved as a PNG picture instead of the TIFF.

#include "common/status.h"
#include "flip/flip_simulator.h"
#include "tools/batch_options.h"
#include "tools/batch_setup.h"

namespace tovrel {

// Writes the picture that options.simulate asks for; gives its size.
Result<ViewSize> simulateBatch(const BatchRun& run, const BatchOptions& options);

} // namespace tovrel
