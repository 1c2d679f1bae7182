// The numbers a run works out before writing: output size and resolution,
// scale, strip width, and where the common frame starts in each file.

#include "render/run_geometry.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(ComputeGeometry, GivesSizeResolutionAndRowBytes) {
    const struct {
        double width, height;
        int views;
        float sharp, pitch;
        int32_t tifW, tifH;
        float fbl;
    } cases[] = {
        // The pitch as a float lies slightly above 0.508: 2362.2 and 1771.65.
        {20, 15, 2, 3, 0.508f, 2362, 1771, 300},
        {75, 50, 4, 2, 0.254f, 23622, 15748, 800},
        {1, 1, 2, 2.5f, 1, 50, 50, 127},
        {0.25, 0.1, 4, 2, 1, 20, 8, 203.2f},
        // 1.4 and 0.3 as floats: 1399.9999 floors to 1399, and the resolution
        // is the float below 355.6.
        {10, 10, 3, 1.4f, 0.3f, 1399, 1399, 355.5999755859375f},
    };
    for (const auto& c : cases) {
        JobState job;
        job.ViewCount = static_cast<uint8_t>(c.views);
        job.Views = static_cast<float>(c.views);
        job.Sharp = c.sharp;
        job.Pitch = c.pitch;
        ASSERT_TRUE(computeGeometry(job, {c.width, c.height}).isOk());
        EXPECT_EQ(job.tifW, c.tifW) << c.width;
        EXPECT_EQ(job.tifH, c.tifH) << c.height;
        EXPECT_EQ(job.fbl, c.fbl) << c.width;
        EXPECT_EQ(job.RowBytes, 3 * c.tifW);
    }
}

TEST(ComputeGeometry, RefusesWhatNoFileCanHoldAndChangesNothing) {
    const struct {
        double width, height;
        float pitch;
    } cases[] = {
        {0, 10, 1},   {10, 0, 1},   {0.004, 10, 1}, {-1, 10, 1},   {10, 10, 0}, {0, 0, 0},
        {1e9, 10, 1}, {10, 1e9, 1}, {-1e9, 1, 1},   {2.7e7, 1, 1}, // 1,080,000,000 pixels wide: 3
                                                                   // bytes a pixel overflow 32 bits
    };
    for (const auto& c : cases) {
        JobState job;
        job.ViewCount = 2;
        job.Views = 2;
        job.Sharp = 2;
        job.Pitch = c.pitch;
        job.tifW = 7;
        job.fbl = 1.5f;
        const Status status = computeGeometry(job, {c.width, c.height});
        EXPECT_FALSE(status.isOk()) << c.width << " x " << c.height;
        EXPECT_FALSE(status.message().empty());
        EXPECT_EQ(job.tifW, 7);
        EXPECT_EQ(job.fbl, 1.5f);
    }
}

TEST(OutputScale, TakesTheLargerRatioAndTheWidthOnATie) {
    JobState job;
    job.BaseW = 640;
    job.BaseH = 480;
    job.tifW = 2362;
    job.tifH = 1771;
    EXPECT_EQ(outputScale(job), 3.690625f);
    job.tifW = 2000; // narrower than the frame's proportion: the height decides
    EXPECT_EQ(outputScale(job), static_cast<float>(1771.0 / 480));
    job.tifW = 1600; // 1600 / 1200 equals 640 / 480
    job.tifH = 1200;
    EXPECT_EQ(outputScale(job), 2.5f);
}

TEST(StripWidth, RoundsHalvesToEven) {
    EXPECT_EQ(stripWidth(2.5f), 2);
    EXPECT_EQ(stripWidth(3.5f), 4);
    EXPECT_EQ(stripWidth(1.4f), 1);
    EXPECT_EQ(stripWidth(0.5f), 0);
    EXPECT_EQ(stripWidth(20), 20);
    EXPECT_EQ(stripWidth(300), 0);
}

} // namespace
} // namespace tovrel
