#include "render/interlace_engine.h"

#include "output/temp_output.h"
#include "render/pixel_area.h"
#include "render/run_checks.h"
#include "sheet/sheet_run.h"
#include "tiff/tiff_container.h"

#include <new>
#include <optional>

namespace tovrel {

namespace {
RunResult refused(Status status) {
    return {RunOutcome::Refused, std::move(status)};
}
} // namespace

RunResult runInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks) {
    if (Status plan = planRun(job, settings); !plan) {
        return refused(plan);
    }
    // A sheet: the card's scale, then the sheet's size for the file.
    std::optional<SheetRun> sheet;
    if (settings.press.sheet) {
        Result<SheetRun> planned = planSheet(job, settings);
        if (!planned) {
            return refused(planned.status());
        }
        sheet = std::move(planned).value();
    }
    Result<std::filesystem::path> target = outputTarget(job);
    if (!target) {
        return refused(target.status());
    }
    Result<TempOutput> temp = TempOutput::create(target.value());
    if (!temp) {
        return refused(temp.status());
    }

    if (sheet) {
        setScaleAndStrip(job);
        job.tifW = sheet->layout.width;
        job.tifH = sheet->layout.height;
        job.RowBytes = job.tifW * job.OutColour.bytes();
    }
    job.TifOK = 0;
    const TiffForm form = tiffFormFor(job.tifW, job.tifH, settings.bigTiff, job.OutColour.bytes());
    if (!hooks.makeTif(job, temp.value().path(), form)) {
        return {RunOutcome::HeaderNotWritten, Status::ok()};
    }
    job.TifOK = 1;
    if (!sheet) {
        setScaleAndStrip(job);
    }

    Status pixels;
    try {
        pixels = writePixelArea(job, settings, hooks.progress, temp.value().path(),
                                pixelAreaOffset(form, job.OutColour), sheet ? &*sheet : nullptr);
    } catch (const std::bad_alloc&) {
        // Rows of absurd widths: a few of them may not fit in memory.
        pixels = Status::fail("内存不足：输出图像的一行太宽。请减小打印宽度或清晰倍数。");
    }
    if (!pixels) {
        return {RunOutcome::Failed, pixels};
    }
    if (Status placed = temp.value().commit(); !placed) {
        return {RunOutcome::Failed, placed};
    }
    if (sheet) {
        if (Status files = writeSheetFiles(*sheet); !files) {
            return {RunOutcome::Failed, files};
        }
    }
    return {RunOutcome::Done, Status::ok()};
}

} // namespace tovrel
