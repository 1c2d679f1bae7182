#include "intake/row_store.h"

#include "intake/bmp_layout.h"

#include <algorithm>
#include <array>

namespace tovrel {

namespace {

constexpr int64_t kHeaderBytes = 54;
constexpr int64_t kBandBytes = 8 << 20;

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

bool mirrorsRows(int orientation) {
    return orientation == 2 || orientation == 3;
}
bool flipsRows(int orientation) {
    return orientation == 3 || orientation == 4;
}

} // namespace

RowStoreWriter::RowStoreWriter(PosixFile store, PosixFile scratch, const PictureInfo& info,
                               const StoreRecord& record, DecodeProgress progress,
                               int32_t pixelBytes)
    : store_(std::move(store)), scratch_(std::move(scratch)), info_(info), record_(record),
      px_(pixelBytes), width_(swapsSides(info.orientation) ? info.height : info.width),
      height_(swapsSides(info.orientation) ? info.width : info.height),
      stride_(rowStride(width_, px_)), progress_(std::move(progress)) {
    total_ = int64_t{info.height} + (swapsSides(info.orientation) ? height_ : 0);
    bandRows_ = static_cast<int32_t>(std::clamp<int64_t>(kBandBytes / stride_, 1, height_));
    band_.assign(static_cast<size_t>(bandRows_) * stride_, 0);
    filled_.assign(static_cast<size_t>(bandRows_), 0);
}

int64_t RowStoreWriter::storeBytes(const PictureInfo& info, int32_t pixelBytes) {
    const bool side = swapsSides(info.orientation);
    const int32_t w = side ? info.height : info.width;
    return kHeaderBytes + int64_t{rowStride(w, pixelBytes)} * (side ? info.width : info.height) +
           kStoreRecordBytes;
}

int64_t RowStoreWriter::scratchBytes(const PictureInfo& info, int32_t pixelBytes) {
    return swapsSides(info.orientation) ? int64_t{info.width} * pixelBytes * info.height : 0;
}

Status RowStoreWriter::failed(int err) const {
    return Status::fail("无法写入解码缓存：" + systemErrorText(err) + "。");
}

int64_t RowStoreWriter::rowOffset(int32_t v) const {
    return kHeaderBytes + int64_t{height_ - 1 - v} * stride_;
}

void RowStoreWriter::advance() {
    ++done_;
    const int now = static_cast<int>(done_ * 1000 / std::max<int64_t>(total_, 1));
    if (progress_ && now != shown_) {
        shown_ = now;
        progress_(now);
    }
}

Status RowStoreWriter::begin() {
    std::array<uint8_t, kHeaderBytes> h{};
    const int64_t bytes = storeBytes(info_, px_);
    h[0] = 'B';
    h[1] = 'M';
    put32(&h[2], static_cast<uint32_t>(bytes));
    put32(&h[10], kHeaderBytes);
    put32(&h[14], 40);
    put32(&h[18], static_cast<uint32_t>(width_));
    put32(&h[22], static_cast<uint32_t>(height_));
    h[26] = 1;
    h[28] = static_cast<uint8_t>(8 * px_);
    put32(&h[34], static_cast<uint32_t>(bytes - kHeaderBytes - kStoreRecordBytes));
    put32(&h[38], static_cast<uint32_t>(info_.resolution));
    put32(&h[42], static_cast<uint32_t>(info_.resolution));
    if (int err = store_.reserve(bytes); err != 0) {
        return failed(err);
    }
    if (int err = store_.writeAt(h.data(), h.size(), 0); err != 0) {
        return failed(err);
    }
    return Status::ok();
}

Status RowStoreWriter::flushBand() {
    for (int32_t i = 0; i < bandRows_;) {
        if (!filled_[size_t(i)]) {
            ++i;
            continue;
        }
        int32_t end = i;
        while (end < bandRows_ && filled_[size_t(end)]) {
            filled_[size_t(end++)] = 0;
        }
        const int64_t at = kHeaderBytes + int64_t{bandFirst_ + i} * stride_;
        if (int err = store_.writeAt(&band_[size_t(i) * size_t(stride_)],
                                     size_t(end - i) * size_t(stride_), at);
            err != 0) {
            return failed(err);
        }
        i = end;
    }
    return Status::ok();
}

Status RowStoreWriter::writeUpright(int32_t v, const uint8_t* bgr) {
    const int32_t s = height_ - 1 - v; // rows are stored bottom-up
    if (bandFirst_ < 0 || s < bandFirst_ || s >= bandFirst_ + bandRows_) {
        if (Status st = flushBand(); !st) {
            return st;
        }
        // Rows coming from the top fill the band downwards, others upwards.
        const bool downwards = bandFirst_ < 0 || s == lastStoreRow_ - 1;
        bandFirst_ = downwards ? std::max(0, s - bandRows_ + 1) : std::min(s, height_ - bandRows_);
    }
    lastStoreRow_ = s;
    std::copy_n(bgr, size_t(width_) * size_t(px_),
                &band_[size_t(s - bandFirst_) * size_t(stride_)]);
    filled_[size_t(s - bandFirst_)] = 1;
    return Status::ok();
}

Status RowStoreWriter::row(int32_t y, const uint8_t* bgr) {
    advance();
    const int o = info_.orientation;
    if (swapsSides(o)) {
        const size_t bytes = size_t(info_.width) * size_t(px_);
        const int err =
            scratch_.writeAt(bgr, bytes, static_cast<off_t>(int64_t{y} * int64_t(bytes)));
        return err == 0 ? Status::ok() : failed(err);
    }
    if (mirrorsRows(o)) {
        mirrored_.resize(size_t(width_) * size_t(px_));
        for (int32_t x = 0; x < width_; ++x) {
            std::copy_n(bgr + int64_t{x} * px_, px_,
                        &mirrored_[size_t(width_ - 1 - x) * size_t(px_)]);
        }
        bgr = mirrored_.data();
    }
    return writeUpright(flipsRows(o) ? height_ - 1 - y : y, bgr);
}

Status RowStoreWriter::pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr,
                              int32_t count) {
    if (info_.orientation != 1) {
        return Status::fail("交错存储的图片不能带方向标记。");
    }
    if (x0 == 0 && dx == 1) {
        advance(); // a whole row: the last pass over it
    }
    if (Status s = flushBand(); !s) {
        return s;
    }
    std::vector<uint8_t>& line = mirrored_;
    line.resize(size_t(width_) * size_t(px_));
    const int64_t at = rowOffset(y);
    if (int err = store_.readAt(line.data(), line.size(), at); err != 0) {
        return failed(err);
    }
    for (int32_t i = 0; i < count; ++i) {
        std::copy_n(bgr + int64_t{i} * px_, px_, &line[size_t(x0 + int64_t{i} * dx) * size_t(px_)]);
    }
    const int err = store_.writeAt(line.data(), line.size(), at);
    return err == 0 ? Status::ok() : failed(err);
}

// Turns the stored rows on their side, a band of upright rows (stored
// columns) at a time.
Status RowStoreWriter::turnSideways() {
    const int o = info_.orientation;
    const int32_t W = info_.width, H = info_.height; // as stored
    std::vector<uint8_t> segment;
    const auto px = size_t(px_);
    std::vector<uint8_t> upright(size_t(width_) * px);
    const int32_t columns =
        static_cast<int32_t>(std::clamp<int64_t>(kBandBytes / (int64_t{H} * px_), 1, W));
    std::vector<uint8_t> block(size_t(columns) * size_t(H) * px);
    for (int32_t x0 = 0; x0 < W; x0 += columns) {
        const int32_t n = std::min(columns, W - x0);
        // block holds stored rows 0..H-1, columns x0..x0+n-1.
        for (int32_t y = 0; y < H; ++y) {
            const off_t at = static_cast<off_t>((int64_t{y} * W + x0) * px_);
            if (int err = scratch_.readAt(&block[size_t(y) * size_t(n) * px], size_t(n) * px, at);
                err != 0) {
                return failed(err);
            }
        }
        for (int32_t c = 0; c < n; ++c) {
            const int32_t x = x0 + c;
            // Stored column x is upright row v; stored row y lands in upright column u.
            const int32_t v = (o == 5 || o == 6) ? x : W - 1 - x;
            const bool reversed = o == 6 || o == 7;
            for (int32_t y = 0; y < H; ++y) {
                const int32_t u = reversed ? H - 1 - y : y;
                std::copy_n(&block[(size_t(y) * size_t(n) + size_t(c)) * px], px,
                            &upright[size_t(u) * px]);
            }
            if (Status s = writeUpright(v, upright.data()); !s) {
                return s;
            }
            advance();
        }
    }
    return Status::ok();
}

Status RowStoreWriter::finish() {
    if (swapsSides(info_.orientation)) {
        if (Status s = turnSideways(); !s) {
            return s;
        }
    }
    if (Status s = flushBand(); !s) {
        return s;
    }
    const int64_t at = storeBytes(info_, px_) - kStoreRecordBytes;
    if (int err = store_.writeAt(record_.data(), record_.size(), static_cast<off_t>(at));
        err != 0) {
        return failed(err);
    }
    // Synced before it is named: after a power loss a named store is whole.
    const int err = store_.sync();
    return err == 0 ? Status::ok() : failed(err);
}

} // namespace tovrel
