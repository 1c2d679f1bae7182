#include "intake/frame_intake.h"

#include "intake/common_frame.h"
#include "render/run_checks.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tovrel {

Status chooseFrames(JobState& job, const std::vector<std::string>& paths,
                    std::span<const std::optional<FrameAnchor>> anchors,
                    const FrameSettings& frames, const PictureCache& cache,
                    const DecodeProgress& progress) {
    const auto count = static_cast<int32_t>(paths.size());
    if (count < 2 || count > kMaxFrames) {
        return Status::fail("需要 2 到 " + std::to_string(kMaxFrames) + " 张图片，给出了 " +
                            std::to_string(count) + " 张。");
    }
    if (frames.keyFrame < 1 || frames.keyFrame > count) {
        return Status::fail("关键帧必须在 1 到 " + std::to_string(count) + " 之间。");
    }
    job.ViewCount = static_cast<uint8_t>(count);
    job.Views = static_cast<float>(count);
    const auto anchorOf = [&anchors](int32_t k) -> const std::optional<FrameAnchor>& {
        static const std::optional<FrameAnchor> none;
        return std::size_t(k) <= anchors.size() ? anchors[std::size_t(k - 1)] : none;
    };
    AnchorTexts x, y;
    for (int32_t k = 1; k <= count; ++k) {
        std::error_code ec;
        const fs::path picture = fs::absolute(paths[std::size_t(k - 1)], ec);
        job.InPath(k) = ec ? paths[std::size_t(k - 1)] : picture.string();
        const std::optional<FrameAnchor>& own = anchorOf(k);
        const std::optional<FrameAnchor>& anchor = own || k <= kSlots ? own : anchorOf(1);
        if (anchor) {
            x[std::size_t(k - 1)] = anchor->x;
            y[std::size_t(k - 1)] = anchor->y;
        }
    }
    const SlotArray<double> offY = readAnchors(job, x, y);
    shiftAboutKeyFrame(job, frames.keyFrame, frames.parallax);
    for (int32_t k = 1; k <= count; ++k) {
        if (Status header = readSlotHeader(job, k, &cache, progress); !header) {
            return header;
        }
    }
    computeCommonFrame(job, offY);
    return checkCommonFrame(job);
}

} // namespace tovrel
