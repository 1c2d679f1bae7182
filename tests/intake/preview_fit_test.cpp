#include "intake/preview_fit.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(PreviewFit, PicturesFillTheBoxAlongTheirLongerSide) {
    const struct {
        const char* what;
        int32_t w, h;
        float boxW, boxH;
        PreviewGeometry want;
    } cases[] = {
        {"portrait", 300, 400, 2400, 2400, {300, 0, 1800, 2400}},
        {"landscape", 640, 480, 2400, 2400, {0, 300, 2400, 1800}},
        // The shape of the picture decides, not the box: a square picture
        // takes the full width even of a box lower than wide.
        {"square", 500, 500, 2400, 1800, {0, -300, 2400, 2400}},
        {"tall box", 640, 480, 1000, 3000, {0, 1125, 1000, 750}},
        {"single precision", 3, 7, 1000, 1000, {285.714294f, 0, 428.571442f, 1000}},
        {"one pixel high", 1000, 1, 1425, 1425, {0, 711.787476f, 1425, 1.42499995f}},
    };
    for (const auto& c : cases) {
        const PreviewGeometry g = fitPreview(c.w, c.h, c.boxW, c.boxH);
        EXPECT_EQ(g.left, c.want.left) << c.what;
        EXPECT_EQ(g.top, c.want.top) << c.what;
        EXPECT_EQ(g.width, c.want.width) << c.what;
        EXPECT_EQ(g.height, c.want.height) << c.what;
    }
}

TEST(PreviewFit, FrameShareOfEachPicture) {
    const struct {
        const char* what;
        int32_t w, h, col, row, baseW, baseH;
        std::optional<PictureShare> want;
    } cases[] = {
        {"whole picture", 640, 480, 1, 1, 640, 480, PictureShare{0, 0, 1, 1}},
        // The anchors example: picture 1 loses its left 10 columns and top
        // 20 rows, picture 2 its right 10 columns and bottom 20 rows.
        {"anchor 10, 20", 640, 480, 11, 1, 630, 460,
         PictureShare{10 / 640.0, 20 / 480.0, 630 / 640.0, 460 / 480.0}},
        {"anchor 0, 0", 640, 480, 1, 21, 630, 460, PictureShare{0, 0, 630 / 640.0, 460 / 480.0}},
        // 640 x 427 beside 300 x 451: the photograph keeps its left 300 columns.
        {"wide beside tall", 640, 427, 1, 1, 300, 427, PictureShare{0, 0, 300 / 640.0, 1}},
        {"cut to the picture", 100, 100, -9, 1, 50, 200, PictureShare{0, 0, 0.4, 1}},
        {"outside", 100, 100, 201, 1, 50, 50, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto got = frameShare(c.w, c.h, c.col, c.row, c.baseW, c.baseH);
        ASSERT_EQ(got.has_value(), c.want.has_value()) << c.what;
        if (got) {
            EXPECT_DOUBLE_EQ(got->left, c.want->left) << c.what;
            EXPECT_DOUBLE_EQ(got->top, c.want->top) << c.what;
            EXPECT_DOUBLE_EQ(got->width, c.want->width) << c.what;
            EXPECT_DOUBLE_EQ(got->height, c.want->height) << c.what;
        }
    }
}

TEST(PreviewFit, LabelGivesHeightFirst) {
    EXPECT_EQ(sizeLabel(640, 480), "480 x 640");
    EXPECT_EQ(sizeLabel(1, 6000), "6000 x 1");
}

} // namespace
} // namespace tovrel
