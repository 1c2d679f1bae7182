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

TEST(PreviewFit, LabelGivesHeightFirst) {
    EXPECT_EQ(sizeLabel(640, 480), "480 x 640");
    EXPECT_EQ(sizeLabel(1, 6000), "6000 x 1");
}

} // namespace
} // namespace tovrel
