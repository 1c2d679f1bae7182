#pragma once
// The interlacing run written out as plainly as possible: byte arrays indexed
// from 1, one positioned read per picture and one positioned write per row,
// rows from the bottom of the image (the end of the file) to its top, every
// loop as the algorithm states it. Slow on purpose; the engine is compared
// against it. It refuses nothing: give it only runs the engine accepts.

#include "render/interlace_engine.h"

namespace tovrel::test {

// Where a column or row worked out from the scale falls outside the frame:
// the run takes the nearest frame pixel; the first design left such columns
// black and skipped such rows (kept to show that nothing else changed).
enum class EdgeRule { NearestPixel, BlackEdges };

// Writes the header through hooks.makeTif straight into OutPath, then the
// rows; progress after every row written.
RunResult oracleInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks,
                          EdgeRule edges = EdgeRule::NearestPixel);

} // namespace tovrel::test
