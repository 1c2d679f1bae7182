#include "chart/pitch_chart_file.h"

#include "chart/paper_fit.h"
#include "chart/pitch_chart_rows.h"
#include "job/job_state.h"
#include "output/row_sink.h"
#include "output/temp_output.h"
#include "params/pitch_store.h"
#include "params/posix_file.h"
#include "render/run_checks.h"
#include "render/run_header.h"
#include "tiff/tiff_container.h"
#include "tiff/tiff_header.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <vector>

namespace tovrel {

namespace {

// The container a chart gets, as for a run: a classic TIFF while it fits,
// else a BigTIFF.
TiffForm chartForm(const ChartLayout& l, const OutputColour& colour) {
    return tiffFormFor(static_cast<int32_t>(l.width), static_cast<int32_t>(l.height), false,
                       colour.bytes());
}

// Whether a header can describe a chart of this size.
Status checkChartSize(const ChartLayout& l, float resolution, const OutputColour& colour) {
    constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();
    const bool fits =
        l.width <= kMaxSide && l.height <= kMaxSide &&
        checkHeaderLimits(static_cast<int32_t>(l.width), static_cast<int32_t>(l.height), resolution,
                          false, colour.bytes())
            .isOk();
    if (!fits) {
        return Status::fail("测试图有 " + std::to_string(l.width) + " × " +
                            std::to_string(l.height) +
                            " 像素，太大，TIFF 文件容纳不下：请减小宽度、条高、范围或分辨率。");
    }
    return Status::ok();
}

Status writeChartHeader(const PitchStore& store, const std::filesystem::path& file,
                        const std::string& output, const ChartLayout& l, float resolution,
                        const OutputColour& colour) {
    return writeRunHeader(store, file, output, static_cast<int32_t>(l.width),
                          static_cast<int32_t>(l.height), resolution, chartForm(l, colour), colour);
}

Status writeFailure(int err, const std::string& output) {
    return Status::fail("写入输出文件失败：" + systemErrorText(err) + "。\n" + output);
}

// Every row, bottom row first as the sink takes them; a row equal to the one
// made before it is not made again.
Status writeRows(ChartRows& rows, const std::filesystem::path& file, const std::string& output,
                 const ChartHooks& hooks, const OutputColour& colour) {
    PosixFile out = PosixFile::open(file, O_WRONLY);
    if (!out.isOpen()) {
        return writeFailure(errno, output);
    }
    const ChartLayout& l = rows.layout();
    const auto height = static_cast<int32_t>(l.height);
    const auto rowBytes = static_cast<int32_t>(colour.bytes() * l.width);
    const std::vector<uint8_t> white = paperWhiteRow(colour, l.width);
    RowSink sink(out.fd(), pixelAreaOffset(chartForm(l, colour), colour), height, rowBytes,
                 white.data(), hooks.progress, output);
    int64_t lastKey = -1;
    for (int32_t r = 1; r <= height; ++r) {
        const int64_t y = height - r;
        const int64_t key = rows.rowKey(y);
        Status put;
        if (key < 0) {
            put = sink.putFixed(r, white.data());
        } else {
            if (key != lastKey) {
                Result<unsigned char*> fresh = sink.fresh();
                if (!fresh) {
                    return fresh.status();
                }
                rows.row(y, std::span(fresh.value(), std::size_t(rowBytes)));
                lastKey = key;
            }
            put = sink.putCurrent(r);
        }
        if (!put) {
            return put;
        }
    }
    if (Status finished = sink.finish(); !finished) {
        return finished;
    }
    int err = out.sync();
    const int closed = out.close();
    return err == 0 && closed == 0 ? Status::ok() : writeFailure(err != 0 ? err : closed, output);
}

} // namespace

Result<ChartRows> planPitchChart(const PitchChartSettings& settings,
                                 const std::filesystem::path& fontFile) {
    if (Status checked = checkPitchChart(settings); !checked) {
        return checked;
    }
    Result<ChartRows> rows = ChartRows::make(settings, fontFile);
    if (!rows) {
        return rows.status();
    }
    const ChartLayout& layout = rows.value().layout();
    if (Status size =
            checkChartSize(layout, static_cast<float>(settings.resolution), settings.output);
        !size) {
        return size;
    }
    if (Status paper = checkChartPaper(layout, settings); !paper) {
        return paper;
    }
    return rows;
}

Status writePitchChart(const PitchChartSettings& settings, const std::filesystem::path& dataFolder,
                       const std::string& output, const ChartHooks& hooks,
                       const std::filesystem::path& fontFile) {
    Result<ChartRows> rows = planPitchChart(settings, fontFile);
    if (!rows) {
        return rows.status();
    }
    const auto resolution = static_cast<float>(settings.resolution);
    const PitchStore store(dataFolder);
    if (Status path = store.checkOutputPath(output); !path) {
        return path;
    }
    JobState job; // a chart has no source pictures to keep apart from
    job.OutPath = output;
    Result<std::filesystem::path> target = outputTarget(job);
    if (!target) {
        return target.status();
    }
    Result<TempOutput> temp = TempOutput::create(target.value());
    if (!temp) {
        return temp.status();
    }
    if (hooks.fileCreated) {
        hooks.fileCreated(temp.value().path());
    }
    if (Status header = writeChartHeader(store, temp.value().path(), output, rows.value().layout(),
                                         resolution, settings.output);
        !header) {
        return header;
    }
    if (Status written =
            writeRows(rows.value(), temp.value().path(), output, hooks, settings.output);
        !written) {
        return written;
    }
    return temp.value().commit();
}

} // namespace tovrel
