#pragma once
// Choosing the frames of a card, as the window's picture slots and GetF_info
// leave the job, for any number of frames: the batch tool and the frames
// dialog both start a run from here.

#include "common/status.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "params/print_settings.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tovrel {

// An anchor point as the X and Y boxes of its slot would hold it.
struct FrameAnchor {
    std::string x;
    std::string y;
};

// Sets InPath (absolute), ViewCount, Views, the header fields and the common
// frame of paths.size() frames (2 to kMaxFrames), decoding through cache
// what is not a plain BMP file. anchors[k - 1] is frame k's anchor; a frame
// without one has 0,0, except that beyond the fourth frame it shares the
// first frame's. The frames are then shifted about the key frame. Refuses
// headers that cannot be read and a missing common frame.
Status chooseFrames(JobState& job, const std::vector<std::string>& paths,
                    std::span<const std::optional<FrameAnchor>> anchors,
                    const FrameSettings& frames, const PictureCache& cache,
                    const DecodeProgress& progress = {});

} // namespace tovrel
