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

#include <optional>

namespace tovrel::test {

// settings.printerPpi must be set. anchor: a lens boundary at that position
// instead of the card's centre (a card on a sheet). Writes the header through hooks.makeTif
// straight into OutPath, then the rows.
RunResult oraclePrinterInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks,
                                 EdgeRule edges = EdgeRule::NearestPixel,
                                 std::optional<double> anchor = {});

} // namespace tovrel::test
