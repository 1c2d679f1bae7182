#pragma once
// A run that writes a press sheet: everything it works out and refuses
// before the first file is touched, and the layout files it leaves beside the
// sheet.

#include "common/status.h"
#include "job/job_state.h"
#include "params/print_settings.h"
#include "sheet/sheet_geometry.h"
#include "sheet/sheet_marks.h"

#include <filesystem>

namespace tovrel {

struct SheetRun {
    SheetLayout layout;
    SheetMarks marks;
    std::filesystem::path layoutTarget; // empty: none asked for
    std::filesystem::path cutTarget;
};

// For a card whose geometry is set: the lay-out, the marks, the targets of
// the layout files, and the sheet's size checked against the file's limits.
Result<SheetRun> planSheet(const JobState& job, const RunSettings& settings);

// The layout JSON and cut SVG asked for, each saved whole or not at all.
Status writeSheetFiles(const SheetRun& sheet);

// Today as YYYY-MM-DD, local time.
std::string todayText();

} // namespace tovrel
