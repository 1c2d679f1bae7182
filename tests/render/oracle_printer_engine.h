#pragma once
// The printer-resolution run written out as plainly as the rules read: the
// lens grid from the card's centre, each column's (or row's) picture from its
// phase under its lens, the frame pixel at the lens centre, rows as the usual
// run maps them (beyond the frame, its nearest pixel), one positioned write
// per row. Slow on purpose; the
// engine is compared against it. It refuses nothing: give it only runs the
// engine accepts.

#include "render/interlace_engine.h"
#include "tests/render/oracle_engine.h"

namespace tovrel::test {

// settings.printerPpi must be set. Writes the header through hooks.makeTif
// straight into OutPath, then the rows.
RunResult oraclePrinterInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks,
                                 EdgeRule edges = EdgeRule::NearestPixel);

} // namespace tovrel::test
