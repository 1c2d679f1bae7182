#include "render/interlace_engine.h"

#include "render/pixel_area.h"
#include "render/run_checks.h"
#include "render/temp_output.h"
#include "render/tiff_header.h"

#include <new>

namespace tovrel {

namespace {
RunResult refused(Status status) {
    return {RunOutcome::Refused, std::move(status)};
}
} // namespace

RunResult runInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks) {
    if (Status params = checkRunParameters(job, settings); !params) {
        return refused(params);
    }
    if (Status geometry = computeGeometry(job, settings); !geometry) {
        return refused(geometry);
    }
    if (Status frame = checkCommonFrame(job); !frame) {
        return refused(frame);
    }
    if (Status limits = checkHeaderLimits(job.tifW, job.tifH, job.fbl); !limits) {
        return refused(limits);
    }
    Result<std::filesystem::path> target = outputTarget(job);
    if (!target) {
        return refused(target.status());
    }
    Result<TempOutput> temp = TempOutput::create(target.value());
    if (!temp) {
        return refused(temp.status());
    }

    job.TifOK = 0;
    if (!hooks.makeTif(job, temp.value().path())) {
        return {RunOutcome::HeaderNotWritten, Status::ok()};
    }
    job.TifOK = 1;
    job.Scale = outputScale(job);
    job.SharpB = static_cast<uint8_t>(stripWidth(job.Sharp));

    Status pixels;
    try {
        pixels = writePixelArea(job, settings, hooks.progress, temp.value().path());
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
    return {RunOutcome::Done, Status::ok()};
}

} // namespace tovrel
