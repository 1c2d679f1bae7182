#include "intake/size_proposal.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

JobState frame(int32_t baseW, int32_t baseH, int32_t res) {
    JobState job;
    job.BaseW = baseW;
    job.BaseH = baseH;
    job.ImgRes(1) = res;
    job.ImgRes(2) = 1;
    return job;
}

TEST(SizeProposal, WidthIsTheFrameAtTheFirstResolutionToTheHundredth) {
    const struct {
        int32_t baseW, res;
        const char* text;
    } cases[] = {
        {640, 2835, "22.57"},       // 2257.4956
        {640, 3780, "16.93"},       // 1693.1217
        {211, 1000, "21.1"},        // no trailing zero
        {200, 1000, "20"},          // no point
        {1, 20000, "0"},            // 0.5 hundredths: half to even
        {3, 20000, "0.02"},         // 1.5
        {5, 20000, "0.02"},         // 2.5
        {7, 20000, "0.04"},         // 3.5
        {300000, 2835, "10582.01"}, // 3e9 does not fit 32 bits
        {214749, 1, "21474900"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(proposedWidthText(frame(c.baseW, 480, c.res)), std::string(c.text))
            << c.baseW << "/" << c.res;
    }
}

TEST(SizeProposal, NoWidthWithoutAFrameOrAResolution) {
    EXPECT_EQ(proposedWidthText(frame(0, 480, 2835)), std::nullopt);
    EXPECT_EQ(proposedWidthText(frame(640, 0, 2835)), std::nullopt);
    EXPECT_EQ(proposedWidthText(frame(-60, 480, 2835)), std::nullopt);
    EXPECT_EQ(proposedWidthText(frame(640, 480, 0)), std::nullopt);
    EXPECT_EQ(proposedWidthText(frame(640, 480, -1)), std::nullopt);
}

TEST(SizeProposal, HeightFollowsTheWidthTextAsItReads) {
    const struct {
        const char* width;
        float aspect;
        const char* height;
    } cases[] = {
        {"22.57", 1.3333334f, "16.93"}, // 1692.7499
        {"300", 1.3333334f, "225"},     // a width cut to 300
        {"20", 1.3333334f, "15"},       {"16.93cm", 1.3333334f, "12.7"},
        {"宽cm", 1.3333334f, "0"},      {"10", 0.5f, "20"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(proposedHeightText(c.width, c.aspect), std::string(c.height)) << c.width;
    }
}

TEST(SizeProposal, NoHeightWithoutAProportion) {
    EXPECT_EQ(proposedHeightText("20", 0.0f), std::nullopt);
    EXPECT_EQ(proposedHeightText("20", -1.0f), std::nullopt);
}

} // namespace
} // namespace tovrel
