// Source pictures and anchors as a user may give them: one to four files of
// any content, anchor texts of any kind. Each file's header is read, the
// common frame is worked out, and when the frame is said to lie inside the
// pictures every frame row is read back from every file.
//
// Input: a byte giving the number of slots (1 + byte % 4), a byte giving the
// preview box's side, then for each slot: the X and Y anchor texts (each a
// length byte and its bytes), the number of zero bytes to append to the file
// (16 bits) and the file's own bytes (a 16-bit length and the bytes).

#include "fuzz/fuzz_support.h"

#include "common/leading_number.h"
#include "intake/bmp_layout.h"
#include "intake/common_frame.h"
#include "intake/preview_fit.h"
#include "intake/size_proposal.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace tovrel::fuzz {
namespace {

constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();

struct Slot {
    std::filesystem::path path;
    int64_t length = 0;
};

Slot writeSlotFile(FuzzInput& in, int slot) {
    const std::size_t pad = in.u16();
    const std::string_view bytes = in.bytes(in.u16());
    Slot s{scratchFolder() / ("slot" + std::to_string(slot) + ".bmp"),
           static_cast<int64_t>(bytes.size() + pad)};
    std::ofstream out(s.path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const std::string zeros(pad, '\0');
    out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    out.close();
    FUZZ_CHECK(out.good());
    return s;
}

// An accepted header describes a picture whose every pixel row lies in the
// file, at positions that fit 32 bits.
void checkAcceptedHeader(const JobState& job, int i, const Slot& slot) {
    const int64_t w = job.ImgW(i), h = job.ImgH(i), stride = job.ImgStride(i);
    FUZZ_CHECK(w > 0 && h > 0);
    FUZZ_CHECK(stride >= w * 3 && stride < w * 3 + 4 && stride % 4 == 0);
    FUZZ_CHECK(job.DataOff(i) >= 54);
    FUZZ_CHECK(job.DataOff(i) + stride * h <= kLongMax);
    FUZZ_CHECK(job.DataOff(i) + stride * (h - 1) + w * 3 <= slot.length);
}

void checkPreview(int32_t imgW, int32_t imgH, float side) {
    const PreviewGeometry g = fitPreview(imgW, imgH, side, side);
    FUZZ_CHECK(g.width > 0 && g.height > 0);
    FUZZ_CHECK(g.left >= 0 && g.top >= 0);
    FUZZ_CHECK(g.left + g.width <= side * 1.000001f);
    FUZZ_CHECK(g.top + g.height <= side * 1.000001f);
    FUZZ_CHECK(g.width == side || g.height == side);
}

// A size text: plain digits, at most two decimals, no trailing zeros or point.
void checkSizeText(const std::string& text) {
    FUZZ_CHECK(!text.empty() && text.find_first_not_of("0123456789.") == std::string::npos);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        FUZZ_CHECK(point > 0 && text.size() - point - 1 >= 1 && text.size() - point - 1 <= 2);
        FUZZ_CHECK(text.back() != '0');
    }
    FUZZ_CHECK(text[0] != '0' || text.size() == 1 || text[1] == '.');
}

void checkSizeProposal(const JobState& job) {
    const std::optional<std::string> width = proposedWidthText(job);
    FUZZ_CHECK(width.has_value() == (job.ImgRes(1) > 0));
    if (!width) {
        return;
    }
    checkSizeText(*width);
    const double exact = job.BaseW * 10000.0 / job.ImgRes(1);
    FUZZ_CHECK(std::fabs(leadingNumber(*width) * 100 - exact) <= 0.5 + exact * 1e-12);
    // The width box caps the width at 300 before the height is worked out.
    const std::string shown = leadingNumber(*width) <= 300 ? *width : "300";
    const std::optional<std::string> height = proposedHeightText(shown, job.Aspect);
    FUZZ_CHECK(height.has_value());
    checkSizeText(*height);
}

bool anchorsWholeAndInside(const JobState& job, const SlotArray<double>& offY) {
    for (int i = 1; i <= job.ViewCount; ++i) {
        const double x = job.OffX(i), y = offY(i);
        if (x != std::trunc(x) || y != std::trunc(y) || x < 0 || y < 0 || x > job.ImgW(i) ||
            y > job.ImgH(i)) {
            return false;
        }
    }
    return true;
}

// Reads the used bytes of every frame row of slot i where the engine would.
void readEveryFrameRow(const JobState& job, int i, const Slot& slot) {
    const int fd = ::open(slot.path.c_str(), O_RDONLY);
    FUZZ_CHECK(fd >= 0);
    const int64_t used = int64_t{job.BaseW} * 3;
    std::vector<char> row(static_cast<std::size_t>(used));
    for (int32_t r = 1; r <= job.BaseH; ++r) {
        const int64_t at = frameRowPosition(job.FramePos(i), job.ImgStride(i), r) - 1;
        // The used bytes are pixel bytes of one stored row of the picture.
        const int64_t inArea = at - job.DataOff(i);
        FUZZ_CHECK(inArea >= 0);
        FUZZ_CHECK(inArea / job.ImgStride(i) < job.ImgH(i));
        FUZZ_CHECK(inArea % job.ImgStride(i) + used <= int64_t{job.ImgW(i)} * 3);
        FUZZ_CHECK(at + used <= slot.length);
        FUZZ_CHECK(::pread(fd, row.data(), row.size(), at) == static_cast<ssize_t>(used));
    }
    ::close(fd);
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tovrel;
    using namespace tovrel::fuzz;
    FuzzInput in(data, size);
    const int count = 1 + in.byte() % kSlots;
    const float previewSide = static_cast<float>(1 + in.u16());

    JobState job;
    AnchorTexts textX, textY;
    SlotArray<Slot> slots;
    for (int i = 1; i <= count; ++i) {
        textX[static_cast<std::size_t>(i - 1)] = in.shortText();
        textY[static_cast<std::size_t>(i - 1)] = in.shortText();
        slots(i) = writeSlotFile(in, i);
        job.InPath(i) = slots(i).path.string();
    }
    const SlotArray<double> offY = readAnchors(job, textX, textY);

    // As the window does: the pictures read in full before the first refused
    // one are the chosen ones.
    int filled = 0;
    for (int i = 1; i <= count; ++i) {
        const Status read = readSlotHeader(job, i);
        if (!read) {
            FUZZ_CHECK(!read.message().empty());
            FUZZ_CHECK(job.ImgW(i) == 0 && job.ImgH(i) == 0 && job.DataOff(i) == 0);
            break;
        }
        checkAcceptedHeader(job, i, slots(i));
        checkPreview(job.ImgW(i), job.ImgH(i), previewSide);
        filled = i;
    }
    job.ViewCount = static_cast<uint8_t>(filled);
    job.Views = static_cast<float>(filled);
    if (filled == 0) {
        return 0;
    }

    const CommonFrame frame = computeCommonFrame(job, offY);
    FUZZ_CHECK(frame.found == (job.BaseW > 0 && job.BaseH > 0));
    const bool inside = frameInsidePictures(job);
    if (anchorsWholeAndInside(job, offY)) {
        FUZZ_CHECK(inside == frame.found);
    }
    if (frame.found) {
        FUZZ_CHECK(std::isfinite(job.Aspect) && job.Aspect > 0);
        checkSizeProposal(job);
    }
    if (inside) {
        FUZZ_CHECK(frame.found);
        for (int i = 1; i <= filled; ++i) {
            readEveryFrameRow(job, i, slots(i));
        }
    }
    return 0;
}
