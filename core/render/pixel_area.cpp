#include "render/pixel_area.h"

#include "params/posix_file.h"
#include "render/column_map.h"
#include "render/row_sink.h"
#include "render/source_rows.h"

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

    // Frame row of output row r; 0 when the row is skipped (left as the file holds it).
    int32_t sourceRow(int64_t r) const {
        const double y = sourceIndex(r, job.Scale);
        return y > 1 && y < job.BaseH ? static_cast<int32_t>(y) : 0;
    }

    Status read(int32_t n, int32_t y) const {
        return sources.read(n, y, pool.row(n), pool.usedBytes());
    }

    // Makes a new current row from the pool by a map.
    Status render(const std::vector<std::size_t>& map) const {
        Result<unsigned char*> row = sink.fresh();
        if (!row) {
            return row.status();
        }
        renderRow(pool.data(), map, row.value());
        return Status::ok();
    }
};

// A vertical row depends only on its frame row: rows sharing one are made once.
Status verticalRows(const RowLoop& loop) {
    const JobState& job = loop.job;
    const StripLayout layout{job.ViewCount, job.SharpB, loop.settings.whiteGaps,
                             loop.settings.whiteWidth};
    const std::vector<std::size_t> map = stripColumnMap(loop.columns, layout, loop.pool);
    int32_t lastY = 0;
    for (int32_t r = 1; r <= job.tifH; ++r) {
        const int32_t y = loop.sourceRow(r);
        if (y == 0) {
            continue;
        }
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

// A horizontal strip repeats the row made at its first row: one row per
// strip. A strip whose first row is skipped repeats the row carried from
// before (black at the start). With white gaps the first rows of every
// strip are white and the loop goes on after them.
Status horizontalRows(const RowLoop& loop) {
    const JobState& job = loop.job;
    std::vector<std::vector<std::size_t>> maps;
    for (int32_t n = 1; n <= job.ViewCount; ++n) {
        maps.push_back(pictureColumnMap(loop.columns, n, loop.pool));
    }
    const int64_t whiteWidth = loop.settings.whiteGaps ? loop.settings.whiteWidth : 0;
    const int64_t s = job.SharpB;
    const int64_t lens = s * job.ViewCount;
    for (int64_t r = 1; r <= job.tifH;) {
        const int32_t y = loop.sourceRow(r);
        if (y == 0) {
            ++r;
            continue;
        }
        const bool stripStart = (r - 1) % s == 0;
        if (stripStart) {
            const auto n = static_cast<int32_t>((r - 1) % lens / s + 1);
            if (Status read = loop.read(n, y); !read) {
                return read;
            }
            if (Status made = loop.render(maps[std::size_t(n - 1)]); !made) {
                return made;
            }
        }
        if (stripStart && whiteWidth > 0) {
            const int64_t last = std::min<int64_t>(r + whiteWidth - 1, job.tifH);
            for (; r <= last; ++r) {
                if (Status put = loop.sink.putFixed(static_cast<int32_t>(r), loop.white); !put) {
                    return put;
                }
            }
            continue;
        }
        if (Status put = loop.sink.putCurrent(static_cast<int32_t>(r)); !put) {
            return put;
        }
        ++r;
    }
    return Status::ok();
}

Status writeFailure(int err, const JobState& job) {
    return Status::fail("写入输出文件失败：" + systemErrorText(err) + "。\n" + job.OutPath);
}

} // namespace

Status writePixelArea(JobState& job, const RunSettings& settings,
                      const std::function<void(int)>& progress, const std::filesystem::path& file) {
    PosixFile out = PosixFile::open(file, O_WRONLY);
    if (!out.isOpen()) {
        return writeFailure(errno, job);
    }
    struct stat info {};
    if (const int err = out.status(info); err != 0) {
        return writeFailure(err, job);
    }
    const int64_t needed = 1448 + static_cast<int64_t>(job.RowBytes) * job.tifH;
    if (info.st_size < needed) {
        return Status::fail("输出文件的文件头没有写完整，无法写入图像数据。\n" + job.OutPath);
    }
    Result<SourceRows> sources = SourceRows::open(job);
    if (!sources) {
        return sources.status();
    }

    job.OutRow.assign(std::size_t(job.RowBytes), 0);
    const std::vector<int32_t> columns = sourceColumns(job.tifW, job.Scale, job.BaseW);
    const int32_t usedColumns =
        columns.empty() ? 0 : *std::max_element(columns.begin(), columns.end());
    PixelPool pool(job.ViewCount, usedColumns);
    // Rows the sink writes must outlive it: the white row is made here.
    const bool whiteRows = settings.horizontal && settings.whiteGaps && settings.whiteWidth > 0;
    const std::vector<unsigned char> white(whiteRows ? job.OutRow.size() : 0, 255);
    RowSink sink(out.fd(), job.tifH, job.RowBytes, job.OutRow.data(), progress, job.OutPath);
    const RowLoop loop{job, settings, sources.value(), pool, sink, columns, white.data()};
    Status rows = settings.horizontal ? horizontalRows(loop) : verticalRows(loop);
    if (rows) {
        rows = sink.finish();
    }
    if (!rows) {
        return rows;
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
