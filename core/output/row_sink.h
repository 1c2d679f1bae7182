#pragma once
// Takes the rows of the output's pixel area in the order they are made, the
// bottom row (which lies last in the file) first, and writes them in large
// chunks: each chunk is one positioned gather write of adjacent rows. Rows
// that repeat the row made before them are not copied; the chunk points at
// the same bytes again. The chunks reach the disk through a DirectWriter.

#include "common/status.h"
#include "output/direct_writer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/uio.h>
#include <vector>

namespace tovrel {

// Chunks of about 8 MiB: large enough for full disk speed, small enough that
// the progress bar moves often.
inline constexpr std::size_t kRowChunkBytes = std::size_t(8) << 20;

class RowSink {
  public:
    // fd: the output file, whose pixel area starts at areaOffset and holds
    // tifH rows of rowBytes. start: the current content before any row is
    // made; it must stay valid while the sink lives. progress (may be empty)
    // is told, after each chunk, floor(r * 1000 / tifH) for the last row r of
    // the chunk. outName names the file in messages. A chunk holds as many
    // rows as fit chunkBytes, at least one.
    RowSink(int fd, int64_t areaOffset, int32_t tifH, int32_t rowBytes, const unsigned char* start,
            std::function<void(int)> progress, std::string outName,
            std::size_t chunkBytes = kRowChunkBytes);

    // Room for a new row (rowBytes), which becomes the current content once
    // filled. Writes the chunk so far first when there is no room left.
    Result<unsigned char*> fresh();
    // Row r (1-based from the bottom) with the current content.
    Status putCurrent(int32_t r);
    // Row r with content that stays valid while the sink lives (a white row).
    Status putFixed(int32_t r, const unsigned char* row);
    // Writes what is still queued and waits until every chunk is written.
    Status finish();

    const unsigned char* current() const { return current_; }

  private:
    Status put(int32_t r, const unsigned char* row);
    Status flush();
    bool inArena(const unsigned char* row) const;
    Status failed(int err) const;

    int64_t areaOffset_;
    int32_t tifH_;
    std::size_t rowBytes_;
    std::size_t capacity_; // rows per chunk and rows in the arena
    std::unique_ptr<unsigned char[]> arena_;
    std::size_t arenaUsed_ = 0; // rows of the arena in use
    const unsigned char* current_;
    std::vector<iovec> parts_; // queued rows, bottom row first
    int32_t lastRow_ = 0;      // the last row queued
    std::function<void(int)> progress_;
    std::string outName_;
    DirectWriter writer_;
};

} // namespace tovrel
