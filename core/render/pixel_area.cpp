#include "render/pixel_area.h"

#include "output/row_sink.h"
#include "params/posix_file.h"
#include "render/column_map.h"
#include "render/printer_grid.h"
#include "render/source_rows.h"
#include "sheet/sheet_pattern.h"
#include "sheet/sheet_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace tovrel {

namespace {

// Everything the row loops share.
struct RowLoop {
    const JobState& job;
    const RunSettings& settings;
    const SourceRows& sources;
    PixelPool& pool;
    RowSink& sink;
    const std::vector<int32_t>& columns;
    const unsigned char* white; // a white row, for horizontal white gaps

    // Frame row of output row r.
    int32_t sourceRow(int64_t r) const { return frameRowOf(r, job.Scale, job.BaseH); }

    Status read(int32_t n, int32_t y) const {
        return sources.read(n, y, pool.row(n), pool.usedBytes());
    }

    // Makes a new current row from the pool by a map.
    Status render(const std::vector<std::size_t>& map) const {
        Result<unsigned char*> row = sink.fresh();
        if (!row) {
            return row.status();
        }
        renderRow(pool.data(), map, row.value(), pool.pixelBytes());
        return Status::ok();
    }
};

// The map of the usual vertical strips.
std::vector<std::size_t> stripMap(const RowLoop& loop) {
    const JobState& job = loop.job;
    return stripColumnMap(loop.columns, runStripLayout(job, loop.settings), loop.pool);
}

// The map of vertical strips on the printer's grid.
std::vector<std::size_t> printerMap(const RowLoop& loop, std::span<const GridCell> cells) {
    std::vector<std::size_t> map(cells.size());
    for (std::size_t j = 0; j < cells.size(); ++j) {
        const GridCell& cell = cells[j];
        map[j] = cell.white ? kWhitePixel : loop.pool.offset(cell.picture, cell.source);
    }
    return map;
}

// A vertical row depends only on its frame row: rows sharing one are made once.
Status verticalRows(const RowLoop& loop, const std::vector<std::size_t>& map) {
    const JobState& job = loop.job;
    int32_t lastY = 0;
    for (int32_t r = 1; r <= job.tifH; ++r) {
        const int32_t y = loop.sourceRow(r);
        if (y != lastY) {
            for (int32_t n = 1; n <= job.ViewCount; ++n) {
                if (Status read = loop.read(n, y); !read) {
                    return read;
                }
            }
            if (Status made = loop.render(map); !made) {
                return made;
            }
            lastY = y;
        }
        if (Status put = loop.sink.putCurrent(r); !put) {
            return put;
        }
    }
    return Status::ok();
}

std::vector<std::vector<std::size_t>> pictureMaps(const RowLoop& loop) {
    std::vector<std::vector<std::size_t>> maps;
    for (int32_t n = 1; n <= loop.job.ViewCount; ++n) {
        maps.push_back(pictureColumnMap(loop.columns, n, loop.pool));
    }
    return maps;
}

// A horizontal strip repeats the row made at its first row: one row per
// strip, as horizontalStep() plans it.
Status horizontalRows(const RowLoop& loop) {
    const JobState& job = loop.job;
    const std::vector<std::vector<std::size_t>> maps = pictureMaps(loop);
    const StripLayout layout = runStripLayout(job, loop.settings);
    for (int32_t r = 1; r <= job.tifH; ++r) {
        const RowStep step = horizontalStep(r, layout, job.Scale, job.BaseH);
        if (step.make) {
            if (Status read = loop.read(step.picture, step.frameRow); !read) {
                return read;
            }
            if (Status made = loop.render(maps[std::size_t(step.picture - 1)]); !made) {
                return made;
            }
        }
        const Status put = step.put == RowStep::Put::White ? loop.sink.putFixed(r, loop.white)
                                                           : loop.sink.putCurrent(r);
        if (!put) {
            return put;
        }
    }
    return Status::ok();
}

// Horizontal strips on the printer's grid: every row shows its cell's
// picture row, or white; runs of equal cells are made once.
Status printerRows(const RowLoop& loop, std::span<const GridCell> cells) {
    const JobState& job = loop.job;
    const std::vector<std::vector<std::size_t>> maps = pictureMaps(loop);
    GridCell made{0, 0, false};
    for (int32_t r = 1; r <= job.tifH; ++r) {
        const GridCell& cell = cells[std::size_t(r - 1)];
        if (cell.white) {
            if (Status put = loop.sink.putFixed(r, loop.white); !put) {
                return put;
            }
            continue;
        }
        if (cell != made) {
            if (Status read = loop.read(cell.picture, cell.source); !read) {
                return read;
            }
            if (Status rendered = loop.render(maps[std::size_t(cell.picture - 1)]); !rendered) {
                return rendered;
            }
            made = cell;
        }
        if (Status put = loop.sink.putCurrent(r); !put) {
            return put;
        }
    }
    return Status::ok();
}

// A press sheet: rows of the sheet pattern with their marks; a row that shows
// what the row below it showed, marks alike, is made once.
Status sheetRows(const RowLoop& loop, const SheetRun& sheet) {
    const JobState& job = loop.job;
    const SheetPattern pattern =
        sheetPattern(job, loop.settings, sheet.layout, loop.pool, loop.columns);
    const int64_t height = sheet.layout.height;
    const std::vector<unsigned char> paper = paperWhiteRow(job.OutColour, sheet.layout.width);
    SheetRow made{-2, 0};
    for (int32_t r = 1; r <= job.tifH; ++r) {
        const int64_t y = height - r;
        const SheetRow& row = pattern.rows[std::size_t(y)];
        if (row != made && row.map >= 0) {
            const bool vertical = !sheet.layout.horizontal;
            for (int32_t n = vertical ? 1 : row.map + 1;
                 n <= (vertical ? job.ViewCount : row.map + 1); ++n) {
                if (Status read = loop.read(n, row.frameRow); !read) {
                    return read;
                }
            }
        }
        if (row != made || !sheet.marks.sameAsAbove(y + 1)) {
            Result<unsigned char*> fresh = loop.sink.fresh();
            if (!fresh) {
                return fresh.status();
            }
            if (row.map >= 0) {
                renderSheetRow(pattern, row.map, loop.pool.data(), paper.data(), fresh.value(),
                               loop.pool.pixelBytes());
            } else {
                std::memcpy(fresh.value(), paper.data(), paper.size());
            }
            sheet.marks.apply(y, fresh.value());
            made = row;
        }
        if (Status put = loop.sink.putCurrent(r); !put) {
            return put;
        }
    }
    return Status::ok();
}

Status rows(const RowLoop& loop) {
    const JobState& job = loop.job;
    const RunSettings& settings = loop.settings;
    if (settings.printerPpi == 0) {
        return settings.horizontal ? horizontalRows(loop) : verticalRows(loop, stripMap(loop));
    }
    const LensGrid grid = lensGridOf(job, settings);
    if (settings.horizontal) {
        const std::vector<int32_t> sources = sourceRows(job.tifH, job.Scale, job.BaseH);
        return printerRows(loop, lensGridCells(sources, grid));
    }
    return verticalRows(loop, printerMap(loop, lensGridCells(loop.columns, grid)));
}

Status writeFailure(int err, const JobState& job) {
    return Status::fail("写入输出文件失败：" + systemErrorText(err) + "。\n" + job.OutPath);
}

} // namespace

Status writePixelArea(JobState& job, const RunSettings& settings,
                      const std::function<void(int)>& progress, const std::filesystem::path& file,
                      int64_t areaOffset, const SheetRun* sheet) {
    PosixFile out = PosixFile::open(file, O_WRONLY);
    if (!out.isOpen()) {
        return writeFailure(errno, job);
    }
    struct stat info {};
    if (const int err = out.status(info); err != 0) {
        return writeFailure(err, job);
    }
    const int64_t needed = areaOffset + static_cast<int64_t>(job.RowBytes) * job.tifH;
    if (info.st_size < needed) {
        return Status::fail("输出文件的文件头没有写完整，无法写入图像数据。\n" + job.OutPath);
    }
    Result<SourceRows> sources = SourceRows::open(job);
    if (!sources) {
        return sources.status();
    }

    job.OutRow.assign(std::size_t(job.RowBytes), 0);
    const int32_t cardWidth = sheet ? sheet->layout.cardWidth : job.tifW;
    const std::vector<int32_t> columns = sourceColumns(cardWidth, job.Scale, job.BaseW);
    const int32_t usedColumns =
        columns.empty() ? 0 : *std::max_element(columns.begin(), columns.end());
    PixelPool pool(job.ViewCount, usedColumns, job.OutColour);
    // Rows the sink writes must outlive it: the white row is made here.
    const bool fixedRows = settings.horizontal && settings.whiteGaps && settings.whiteWidth > 0;
    const std::vector<unsigned char> white =
        fixedRows ? paperWhiteRow(job.OutColour, job.tifW) : std::vector<unsigned char>();
    RowSink sink(out.fd(), areaOffset, job.tifH, job.RowBytes, job.OutRow.data(), progress,
                 job.OutPath);
    const RowLoop loop{job, settings, sources.value(), pool, sink, columns, white.data()};
    Status made = sheet ? sheetRows(loop, *sheet) : rows(loop);
    if (made) {
        made = sink.finish();
    }
    if (!made) {
        return made;
    }
    if (sink.current() != job.OutRow.data()) {
        std::memcpy(job.OutRow.data(), sink.current(), job.OutRow.size());
    }
    int err = out.sync();
    const int closed = out.close();
    if (err == 0) {
        err = closed;
    }
    return err == 0 ? Status::ok() : writeFailure(err, job);
}

} // namespace tovrel
