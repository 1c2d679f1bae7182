#include "intake/common_frame.h"

#include "intake/bmp_layout.h"
#include "intake/preview_fit.h"
#include "intake/size_proposal.h"
#include "tests/intake/frame_expect.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <functional>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

using test::BmpFields;
using test::bmpFile;

// Pictures written into a temporary folder and picked into slots 1, 2, ...
class CommonFrameTest : public ::testing::Test {
  protected:
    void pick(const std::vector<BmpFields>& pictures) {
        for (size_t i = 0; i < pictures.size(); ++i) {
            const auto file = dir / ("p" + std::to_string(i + 1) + ".bmp");
            test::writeFile(file, bmpFile(pictures[i]));
            job.InPath(static_cast<int>(i + 1)) = file.string();
        }
        job.ViewCount = static_cast<uint8_t>(pictures.size());
    }
    // The core's part of GetF_info: anchors, headers, frame.
    CommonFrame intake(const AnchorTexts& x, const AnchorTexts& y) {
        const SlotArray<double> offY = readAnchors(job, x, y);
        for (int i = 1; i <= job.ViewCount; ++i) {
            const Status read = readSlotHeader(job, i);
            EXPECT_TRUE(read) << read.message();
        }
        return computeCommonFrame(job, offY);
    }

    test::TempDir dir;
    JobState job;
};

const AnchorTexts kPrompts{"X1", "X2", "X3", "X4"};
const AnchorTexts kPromptsY{"Y1", "Y2", "Y3", "Y4"};

// The frame of two pictures as the job and the frame rows should hold it.
void expectFrame(const JobState& job, const CommonFrame& frame, const test::TwoPictureFrame& want) {
    test::expectJobFrame(job, want);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(frame.FrameRow(i), want.row[static_cast<size_t>(i - 1)]) << "slot " << i;
    }
    EXPECT_TRUE(frame.found);
    EXPECT_TRUE(frameInsidePictures(job));
}

TEST_F(CommonFrameTest, TwoPicturesOfDifferentSizesShareTheTopLeftCorner) {
    pick({{.width = 640, .height = 480, .xPerMetre = 2835}, {.width = 1024, .height = 768}});
    const CommonFrame frame = intake(kPrompts, kPromptsY);

    EXPECT_EQ(job.ImgStride(1), 1920);
    EXPECT_EQ(job.ImgStride(2), 3072);
    EXPECT_EQ(sizeLabel(job.ImgW(1), job.ImgH(1)), "480 x 640");
    EXPECT_EQ(sizeLabel(job.ImgW(2), job.ImgH(2)), "768 x 1024");
    expectFrame(job, frame, {0, 640, 0, 480, 640, 480, {1, 1}, {1, 289}, {55, 884791}});
    EXPECT_EQ(job.Aspect, 1.3333334f);

    const std::optional<std::string> width = proposedWidthText(job);
    ASSERT_TRUE(width);
    EXPECT_EQ(*width, "22.57");
    EXPECT_EQ(proposedHeightText(*width, job.Aspect), "16.93");
}

TEST_F(CommonFrameTest, AnchorsShiftThePicturesAgainstEachOther) {
    pick({{.width = 640, .height = 480}, {.width = 640, .height = 480}});
    const CommonFrame frame = intake({"10", "0", "", ""}, {"20", "0", "", ""});
    expectFrame(job, frame, {0, 630, 0, 460, 630, 460, {11, 1}, {1, 21}, {85, 38455}});
}

TEST_F(CommonFrameTest, ALonePictureGivesNoFrameAndKeepsTheProportion) {
    pick({{.width = 640, .height = 480}});
    job.Aspect = 1.5f;
    const CommonFrame frame = intake({"5", "", "", ""}, {"7", "", "", ""});

    EXPECT_FALSE(frame.found);
    EXPECT_EQ(job.FrameLeft, 0.0f);
    EXPECT_EQ(job.FrameRight, 0.0f);
    EXPECT_EQ(job.FrameTop, 0.0f);
    EXPECT_EQ(job.FrameBottom, 0.0f);
    EXPECT_EQ(job.BaseW, 0);
    EXPECT_EQ(job.BaseH, 0);
    EXPECT_EQ(job.FrameCol(1), 6);
    EXPECT_EQ(job.Aspect, 1.5f);
    EXPECT_EQ(proposedWidthText(job), std::nullopt);
    EXPECT_FALSE(frameInsidePictures(job));
}

TEST_F(CommonFrameTest, AnchorTextsAreReadByTheLeadingNumberRule) {
    const SlotArray<double> offY =
        readAnchors(job, {"0.1", " 1 2px", "X3", "&H10"}, {"0.1", "", "-2.5e1", "Y4"});
    EXPECT_EQ(job.OffX(1), 0.1f); // single precision
    EXPECT_EQ(job.OffX(2), 12.0f);
    EXPECT_EQ(job.OffX(3), 0.0f);
    EXPECT_EQ(job.OffX(4), 16.0f);
    EXPECT_EQ(offY(1), 0.1); // double precision
    EXPECT_EQ(offY(2), 0.0);
    EXPECT_EQ(offY(3), -25.0);
    EXPECT_EQ(offY(4), 0.0);
}

TEST_F(CommonFrameTest, FractionalAnchorsTruncateTheStartAndRoundTheSizeHalfToEven) {
    // Picture 1's anchor at (v, v), picture 2's at (0, 0), both 640 x 480.
    const struct {
        const char* v;
        int32_t baseW, col1, col2, baseH, row1, row2;
    } cases[] = {{"0.5", 640, 1, 1, 480, 1, 1},  {"1.5", 638, 2, 1, 478, 1, 2},
                 {"2.5", 638, 3, 1, 478, 1, 3},  {"-0.5", 640, 1, 1, 480, 1, 1},
                 {"-1.5", 638, 1, 2, 478, 2, 1}, {"0.25", 640, 1, 1, 480, 1, 1}};
    for (const auto& c : cases) {
        pick({{.width = 640, .height = 480}, {.width = 640, .height = 480}});
        const CommonFrame frame = intake({c.v, "0", "", ""}, {c.v, "0", "", ""});
        EXPECT_EQ(job.BaseW, c.baseW) << c.v;
        EXPECT_EQ(job.FrameCol(1), c.col1) << c.v;
        EXPECT_EQ(job.FrameCol(2), c.col2) << c.v;
        EXPECT_EQ(job.BaseH, c.baseH) << c.v;
        EXPECT_EQ(frame.FrameRow(1), c.row1) << c.v;
        EXPECT_EQ(frame.FrameRow(2), c.row2) << c.v;
        EXPECT_TRUE(frameInsidePictures(job)) << c.v;
    }
}

TEST_F(CommonFrameTest, AnchorsOutsideThePicturesAreTakenAsTyped) {
    // Only the anchors' difference matters: -10 against 0 is 0 against 10.
    pick({{.width = 640, .height = 480}, {.width = 640, .height = 480}});
    CommonFrame frame = intake({"-10", "0", "", ""}, {"0", "-20", "", ""});
    EXPECT_EQ(job.BaseW, 630);
    EXPECT_EQ(job.BaseH, 460);
    EXPECT_EQ(job.FrameCol(2), 11);
    EXPECT_EQ(frame.FrameRow(2), 21);
    EXPECT_TRUE(frameInsidePictures(job));

    // Past the right edge the frame's width goes negative: no frame, the
    // proportion stays and nothing is proposed.
    job.Aspect = 2.0f;
    frame = intake({"700", "0", "", ""}, kPromptsY);
    EXPECT_EQ(job.FrameRight, -60.0f);
    EXPECT_EQ(job.BaseW, -60);
    EXPECT_FALSE(frame.found);
    EXPECT_EQ(job.Aspect, 2.0f);
    EXPECT_EQ(proposedWidthText(job), std::nullopt);
    EXPECT_FALSE(frameInsidePictures(job));
}

TEST_F(CommonFrameTest, AnchorsBeyondThirtyTwoBitsLeaveNoFrame) {
    const struct {
        const char* x1;
        const char* y1;
    } cases[] = {{"3E9", "0"},   {"0", "-3E9"},       {"1E40", "0"},
                 {"0", "1D400"}, {"-1E40", "-1D400"}, {"800000000", "0"}};
    for (const auto& c : cases) {
        pick({{.width = 640, .height = 480}, {.width = 640, .height = 480}});
        job.Aspect = 2.0f;
        const CommonFrame frame = intake({c.x1, "0", "", ""}, {c.y1, "0", "", ""});
        EXPECT_FALSE(frame.found) << c.x1 << " " << c.y1;
        EXPECT_EQ(job.BaseW, 0) << c.x1 << " " << c.y1;
        EXPECT_EQ(job.BaseH, 0) << c.x1 << " " << c.y1;
        EXPECT_EQ(job.FramePos(1), 0) << c.x1 << " " << c.y1;
        EXPECT_EQ(job.Aspect, 2.0f);
        EXPECT_FALSE(frameInsidePictures(job));
    }
}

TEST_F(CommonFrameTest, AFailedHeaderLeavesItsSlotAsItWas) {
    pick({{.width = 640, .height = 480}, {.width = 320, .height = 200}, {.width = 8, .height = 8}});
    test::writeFile(job.InPath(3), {'B', 'M'});
    job.ImgW(3) = 77;
    job.DataOff(3) = 99;

    const SlotArray<double> offY = readAnchors(job, kPrompts, kPromptsY);
    ASSERT_TRUE(readSlotHeader(job, 1));
    ASSERT_TRUE(readSlotHeader(job, 2));
    const Status third = readSlotHeader(job, 3);
    ASSERT_FALSE(third);
    EXPECT_NE(third.message().find(job.InPath(3)), std::string::npos);
    EXPECT_EQ(job.ImgW(3), 77);
    EXPECT_EQ(job.DataOff(3), 99);

    // The caller drops the failed slot; the frame is that of the others.
    job.ViewCount = 2;
    const CommonFrame frame = computeCommonFrame(job, offY);
    EXPECT_TRUE(frame.found);
    EXPECT_EQ(job.BaseW, 320);
    EXPECT_EQ(job.BaseH, 200);
    EXPECT_EQ(frame.FrameRow(1), 281);
    EXPECT_TRUE(frameInsidePictures(job));
}

TEST_F(CommonFrameTest, NoFirstResolutionProposesNoWidthButFindsTheFrame) {
    for (int32_t res : {0, -2835}) {
        pick({{.width = 640, .height = 480, .xPerMetre = res}, {.width = 640, .height = 480}});
        const CommonFrame frame = intake(kPrompts, kPromptsY);
        EXPECT_TRUE(frame.found);
        EXPECT_EQ(job.Aspect, 1.3333334f);
        EXPECT_EQ(proposedWidthText(job), std::nullopt) << res;
    }
}

TEST_F(CommonFrameTest, OnlyTheFirstPicturesResolutionCounts) {
    pick({{.width = 640, .height = 480, .xPerMetre = 3780},
          {.width = 640, .height = 480, .xPerMetre = 100}});
    intake(kPrompts, kPromptsY);
    EXPECT_EQ(proposedWidthText(job), "16.93");
}

// Single-precision extents of pictures wider than 2^24 pixels can round past
// the narrowest picture's edge; the run must then refuse the frame.
TEST(FrameInsidePictures, CatchesExtentsRoundedPastAnEdge) {
    const struct {
        int32_t width1;
        bool inside;
    } cases[] = {{16777218, true}, {16777219, false}};
    for (const auto& c : cases) {
        JobState job;
        job.ViewCount = 2;
        for (int i = 1; i <= 2; ++i) {
            job.ImgW(i) = i == 1 ? c.width1 : 16777300;
            job.ImgH(i) = 1;
            job.DataOff(i) = 54;
            job.ImgStride(i) = rowStride(job.ImgW(i));
        }
        computeCommonFrame(job, SlotArray<double>{});
        EXPECT_EQ(frameInsidePictures(job), c.inside) << c.width1;
    }
}

TEST_F(CommonFrameTest, FrameInsidePicturesFollowsEveryBound) {
    const struct {
        const char* what;
        std::function<void(JobState&)> change;
        bool inside;
    } cases[] = {
        {"as computed", [](JobState&) {}, true},
        {"one column too far", [](JobState& j) { j.FrameCol(1) += 1; }, false},
        {"frame one wider", [](JobState& j) { j.BaseW += 1; }, false},
        {"frame one higher", [](JobState& j) { j.BaseH += 1; }, false},
        {"one row lower", [](JobState& j) { j.FramePos(2) -= j.ImgStride(2); }, true},
        {"one row higher", [](JobState& j) { j.FramePos(2) += j.ImgStride(2); }, false},
        {"below the bottom row", [](JobState& j) { j.FramePos(1) -= j.ImgStride(1); }, false},
        {"not a pixel start", [](JobState& j) { j.FramePos(1) += 1; }, false},
        {"column zero", [](JobState& j) { j.FrameCol(2) = 0; }, false},
        {"stride not of the width", [](JobState& j) { j.ImgStride(2) += 4; }, false},
        {"no pictures", [](JobState& j) { j.ViewCount = 0; }, false},
        {"no width", [](JobState& j) { j.BaseW = 0; }, false},
    };
    for (const auto& c : cases) {
        pick({{.width = 640, .height = 480}, {.width = 640, .height = 480}});
        intake({"10", "0", "", ""}, {"20", "0", "", ""});
        c.change(job);
        EXPECT_EQ(frameInsidePictures(job), c.inside) << c.what;
    }
}

} // namespace
} // namespace tovrel
