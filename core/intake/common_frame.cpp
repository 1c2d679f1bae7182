#include "intake/common_frame.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "intake/bmp_header.h"
#include "intake/bmp_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tovrel {

namespace {

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();

// trunc(x) + 1 as a Long, or nothing when it does not fit.
std::optional<int32_t> truncPlusOne(double x) {
    const std::optional<int32_t> t = truncToLong(x);
    if (!t || *t == kLongMax) {
        return std::nullopt;
    }
    return *t + 1;
}

std::optional<int32_t> framePos(int32_t dataOff, int32_t row, int32_t stride, int32_t col,
                                int32_t pixelBytes) {
    const int64_t pos =
        int64_t{dataOff} + (int64_t{row} - 1) * stride + (int64_t{col} - 1) * pixelBytes + 1;
    if (pos < kLongMin || pos > kLongMax) {
        return std::nullopt;
    }
    return static_cast<int32_t>(pos);
}

void storeNoFrame(JobState& job, CommonFrame& frame) {
    job.BaseW = 0;
    job.BaseH = 0;
    for (int i = 1; i <= job.ViewCount; ++i) {
        job.FrameCol(i) = 0;
        job.FramePos(i) = 0;
        frame.FrameRow(i) = 0;
    }
    frame.found = false;
}

// Where the frame begins in slot i; false when a number does not fit 32 bits.
bool placeFrame(JobState& job, CommonFrame& frame, int i, double offY) {
    const std::optional<int32_t> col = truncPlusOne(double{job.OffX(i)} - double{job.FrameLeft});
    const std::optional<int32_t> row = truncPlusOne((job.ImgH(i) - offY) - double{job.FrameBottom});
    if (!col || !row) {
        return false;
    }
    const std::optional<int32_t> pos =
        framePos(job.DataOff(i), *row, job.ImgStride(i), *col, job.PixelBytes);
    if (!pos) {
        return false;
    }
    job.FrameCol(i) = *col;
    frame.FrameRow(i) = *row;
    job.FramePos(i) = *pos;
    return true;
}

} // namespace

SlotArray<double> readAnchors(JobState& job, const AnchorTexts& textX, const AnchorTexts& textY) {
    SlotArray<double> offY;
    for (int i = 1; i <= kMaxFrames; ++i) {
        job.OffX(i) = toSingle(leadingNumber(textX[static_cast<size_t>(i - 1)]));
        offY(i) = leadingNumber(textY[static_cast<size_t>(i - 1)]);
    }
    return offY;
}

void shiftAboutKeyFrame(JobState& job, int32_t keyFrame, double parallax) {
    for (int32_t k = 1; k <= job.ViewCount; ++k) {
        job.OffX(k) = toSingle(double{job.OffX(k)} - (k - keyFrame) * parallax);
    }
}

Status readSlotHeader(JobState& job, int slot, const PictureCache* cache,
                      const DecodeProgress& progress) {
    std::string rows;
    // A plain BMP file is read in place unless its colours are converted.
    if (cache != nullptr &&
        (sniffFormat(job.InPath(slot)) != PictureFormat::PlainBmp || cache->colour().converts())) {
        std::vector<std::filesystem::path> inUse;
        for (int i = 1; i <= kMaxFrames; ++i) {
            if (i != slot && !job.RowPath(i).empty()) {
                inUse.emplace_back(job.RowPath(i));
            }
        }
        Result<std::filesystem::path> store = cache->storeFor(job.InPath(slot), inUse, progress);
        if (!store) {
            return store.status();
        }
        rows = store.value().string();
    }
    const int32_t px = rows.empty() ? 3 : cache->colour().output.bytes();
    const Result<BmpHeader> header = readBmpHeader(rows.empty() ? job.InPath(slot) : rows, px);
    if (!header) {
        return header.status();
    }
    job.RowPath(slot) = rows;
    const BmpHeader& h = header.value();
    job.DataOff(slot) = h.DataOff;
    job.ImgW(slot) = h.ImgW;
    job.ImgH(slot) = h.ImgH;
    job.ImgRes(slot) = h.ImgRes;
    job.ImgStride(slot) = rowStride(h.ImgW, px);
    job.PixelBytes = px;
    return Status::ok();
}

Status readSlotsThrough(JobState& job, const PictureCache& cache) {
    const int32_t px = job.PixelBytes;
    for (int i = 1; i <= job.ViewCount; ++i) {
        // FramePos = DataOff + (row - 1) * stride + (col - 1) * px + 1.
        const int64_t rowStart =
            int64_t{job.FramePos(i)} - 1 - job.DataOff(i) - (int64_t{job.FrameCol(i)} - 1) * px;
        const int64_t row = rowStart / std::max(1, job.ImgStride(i)) + 1;
        if (Status header = readSlotHeader(job, i, &cache); !header) {
            return header;
        }
        const std::optional<int32_t> pos = framePos(job.DataOff(i), int32_t(row), job.ImgStride(i),
                                                    job.FrameCol(i), job.PixelBytes);
        if (!pos) {
            return Status::fail("图片太大，无法再读取一次：\n" + job.InPath(i));
        }
        job.FramePos(i) = *pos;
    }
    job.OutColour = cache.colour().output;
    return Status::ok();
}

CommonFrame computeCommonFrame(JobState& job, const SlotArray<double>& OffY) {
    const int count = job.ViewCount;
    // A lone picture is measured against 0 as if it were a second one.
    const double start = count <= 1 ? 0.0 : HUGE_VAL;
    double top = start, bottom = start, left = start, right = start;
    for (int i = 1; i <= count; ++i) {
        top = std::min(top, OffY(i));
        bottom = std::min(bottom, job.ImgH(i) - OffY(i));
        left = std::min(left, double{job.OffX(i)});
        right = std::min(right, job.ImgW(i) - double{job.OffX(i)});
    }
    job.FrameTop = toSingle(top);
    job.FrameBottom = toSingle(bottom);
    job.FrameLeft = toSingle(left);
    job.FrameRight = toSingle(right);

    CommonFrame frame;
    for (int i = 1; i <= count; ++i) {
        if (!placeFrame(job, frame, i, OffY(i))) {
            storeNoFrame(job, frame);
            return frame;
        }
    }
    const std::optional<int32_t> baseW = roundToLong(double{job.FrameLeft} + job.FrameRight);
    const std::optional<int32_t> baseH = roundToLong(double{job.FrameTop} + job.FrameBottom);
    if (!baseW || !baseH) {
        storeNoFrame(job, frame);
        return frame;
    }
    job.BaseW = *baseW;
    job.BaseH = *baseH;
    // A frame of no size, or of negative size from anchors outside their
    // pictures, gives no proportion to keep and no size to propose.
    frame.found = job.BaseW > 0 && job.BaseH > 0;
    if (frame.found) {
        job.Aspect = toSingle(static_cast<double>(job.BaseW) / job.BaseH);
    }
    return frame;
}

bool frameInsidePictures(const JobState& job) {
    if (job.ViewCount < 1 || job.ViewCount > kMaxFrames || job.BaseW < 1 || job.BaseH < 1) {
        return false;
    }
    for (int i = 1; i <= job.ViewCount; ++i) {
        const int32_t w = job.ImgW(i);
        const int32_t px = job.PixelBytes;
        if (w < 1 || job.ImgH(i) < 1 || int64_t{w} * px + 3 > kLongMax ||
            job.ImgStride(i) != rowStride(w, px)) {
            return false;
        }
        const int32_t col = job.FrameCol(i);
        if (col < 1 || int64_t{col} + job.BaseW - 1 > w) {
            return false;
        }
        // FramePos = DataOff + (row - 1) * stride + (col - 1) * px + 1, and the
        // column part is shorter than a row, so the row follows back from it.
        const int64_t rowStart =
            int64_t{job.FramePos(i)} - 1 - job.DataOff(i) - (int64_t{col} - 1) * px;
        if (rowStart < 0 || rowStart % job.ImgStride(i) != 0) {
            return false;
        }
        const int64_t row = rowStart / job.ImgStride(i) + 1;
        if (row + job.BaseH - 1 > job.ImgH(i)) {
            return false;
        }
    }
    return true;
}

} // namespace tovrel
