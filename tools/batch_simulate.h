#pragma once
// The batch tool's flip preview: the card a run would print, seen through its
// lenses, saved instead of the TIFF: one viewing phase as a PNG picture, or
// the looping sweep as an animated GIF.

#include "common/status.h"
#include "flip/flip_simulator.h"
#include "tools/batch_options.h"
#include "tools/batch_setup.h"

namespace tovrel {

// Writes the picture that options.simulate asks for; gives its size.
Result<ViewSize> simulateBatch(const BatchRun& run, const BatchOptions& options);

} // namespace tovrel
