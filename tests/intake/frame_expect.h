#pragma once
// Checks of the common frame of two pictures as the job holds it.

#include "job/job_state.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>

namespace tovrel::test {

struct TwoPictureFrame {
    float left, right, top, bottom;
    int32_t baseW, baseH;
    std::array<int32_t, 2> col, row, pos;
};

// The extents, the size, and FrameCol and FramePos of both slots; the frame
// rows are not kept in the job.
inline void expectJobFrame(const JobState& job, const TwoPictureFrame& want) {
    EXPECT_EQ(job.FrameLeft, want.left);
    EXPECT_EQ(job.FrameRight, want.right);
    EXPECT_EQ(job.FrameTop, want.top);
    EXPECT_EQ(job.FrameBottom, want.bottom);
    EXPECT_EQ(job.BaseW, want.baseW);
    EXPECT_EQ(job.BaseH, want.baseH);
    for (int i = 1; i <= 2; ++i) {
        const size_t at = static_cast<size_t>(i - 1);
        EXPECT_EQ(job.FrameCol(i), want.col[at]) << "slot " << i;
        EXPECT_EQ(job.FramePos(i), want.pos[at]) << "slot " << i;
    }
}

} // namespace tovrel::test
