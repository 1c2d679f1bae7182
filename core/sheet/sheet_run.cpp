#include "sheet/sheet_run.h"

#include "flip/saved_file.h"
#include "sheet/sheet_files.h"
#include "tiff/tiff_container.h"

#include <ctime>

namespace tovrel {

namespace {

Result<std::filesystem::path> targetOf(const JobState& job, const std::string& path) {
    if (path.empty()) {
        return std::filesystem::path();
    }
    return exportTarget(job, path);
}

Status save(const std::filesystem::path& target, const std::string& text) {
    if (target.empty()) {
        return Status::ok();
    }
    return saveFile(target, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

} // namespace

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

Result<SheetRun> planSheet(const JobState& job, const RunSettings& settings) {
    Result<SheetLayout> layout = sheetLayoutOf(job, settings);
    if (!layout) {
        return layout.status();
    }
    const SheetLayout& sheet = layout.value();
    const int32_t pixelBytes = settings.output.bytes();
    if (Status limits =
            checkHeaderLimits(sheet.width, sheet.height, job.fbl, settings.bigTiff, pixelBytes);
        !limits) {
        return limits;
    }
    const std::string date =
        settings.press.slugDate.empty() ? todayText() : settings.press.slugDate;
    Result<SheetMarks> marks = SheetMarks::build(sheet, slugText(job, settings, date), pixelBytes);
    if (!marks) {
        return marks.status();
    }
    Result<std::filesystem::path> layoutTarget = targetOf(job, settings.press.layoutOut);
    if (!layoutTarget) {
        return layoutTarget.status();
    }
    Result<std::filesystem::path> cutTarget = targetOf(job, settings.press.cutOut);
    if (!cutTarget) {
        return cutTarget.status();
    }
    return SheetRun{sheet, marks.value(), layoutTarget.value(), cutTarget.value()};
}

Status writeSheetFiles(const SheetRun& sheet) {
    if (Status saved = save(sheet.layoutTarget, layoutJson(sheet.layout)); !saved) {
        return saved;
    }
    return save(sheet.cutTarget, cutSvg(sheet.layout));
}

} // namespace tovrel
