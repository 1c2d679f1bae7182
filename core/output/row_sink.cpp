#include "output/row_sink.h"

#include "params/posix_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tovrel {

RowSink::RowSink(int fd, int64_t areaOffset, int32_t tifH, int32_t rowBytes,
                 const unsigned char* start, std::function<void(int)> progress, std::string outName,
                 std::size_t chunkBytes)
    : areaOffset_(areaOffset), tifH_(tifH), rowBytes_(static_cast<std::size_t>(rowBytes)),
      capacity_(std::clamp<std::size_t>(chunkBytes / rowBytes_, 1, IOV_MAX)),
      // Left uninitialised: every row is made in full before it is written.
      arena_(new unsigned char[capacity_ * rowBytes_]), current_(start),
      progress_(std::move(progress)), outName_(std::move(outName)),
      writer_(fd, capacity_ * rowBytes_) {
    parts_.reserve(capacity_);
}

bool RowSink::inArena(const unsigned char* row) const {
    return row >= arena_.get() && row < arena_.get() + capacity_ * rowBytes_;
}

Result<unsigned char*> RowSink::fresh() {
    if (arenaUsed_ == capacity_) {
        if (Status written = flush(); !written) {
            return written;
        }
    }
    unsigned char* row = arena_.get() + arenaUsed_ * rowBytes_;
    ++arenaUsed_;
    current_ = row;
    return row;
}

Status RowSink::putCurrent(int32_t r) {
    return put(r, current_);
}

Status RowSink::putFixed(int32_t r, const unsigned char* row) {
    return put(r, row);
}

Status RowSink::put(int32_t r, const unsigned char* row) {
    const bool adjacent = parts_.empty() || r == lastRow_ + 1;
    if (!adjacent || parts_.size() == capacity_) {
        // The current content may be needed again after the chunk: keep it
        // as the first row of the emptied arena.
        const bool keep = inArena(current_);
        const bool isCurrent = row == current_;
        if (Status written = flush(); !written) {
            return written;
        }
        if (keep) {
            std::memmove(arena_.get(), current_, rowBytes_);
            current_ = arena_.get();
            arenaUsed_ = 1;
            if (isCurrent) {
                row = current_;
            }
        }
    }
    parts_.push_back(iovec{const_cast<unsigned char*>(row), rowBytes_});
    lastRow_ = r;
    return Status::ok();
}

Status RowSink::flush() {
    if (parts_.empty()) {
        arenaUsed_ = 0;
        return Status::ok();
    }
    // Queued bottom row first; the file holds the top row first.
    std::reverse(parts_.begin(), parts_.end());
    const int64_t offset =
        areaOffset_ + static_cast<int64_t>(tifH_ - lastRow_) * static_cast<int64_t>(rowBytes_);
    const int err = writer_.write(parts_, offset);
    parts_.clear();
    arenaUsed_ = 0;
    if (err != 0) {
        return failed(err);
    }
    if (progress_) {
        progress_(static_cast<int>(static_cast<int64_t>(lastRow_) * 1000 / tifH_));
    }
    return Status::ok();
}

Status RowSink::finish() {
    if (Status written = flush(); !written) {
        return written;
    }
    const int err = writer_.finish();
    return err == 0 ? Status::ok() : failed(err);
}

Status RowSink::failed(int err) const {
    return Status::fail("写入输出文件失败：" + systemErrorText(err) + "。\n" + outName_);
}

} // namespace tovrel
