// The exports for approval: PNG and animated GIF read back through libpng and
// giflib, and the safe saving of either.

#include "flip/gif_file.h"
#include "flip/png_file.h"
#include "flip/saved_file.h"
#include "tests/flip/flip_fixture.h"
#include "tests/support/temp_dir.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace tovrel::test {
namespace {

// A view whose every pixel differs: red from the column, green from the row.
ViewImage gradient(int32_t width, int32_t height, uint8_t blue) {
    ViewImage image{width, height, {}};
    for (int32_t v = 0; v < height; ++v) {
        for (int32_t u = 0; u < width; ++u) {
            image.rgb.insert(image.rgb.end(),
                             {uint8_t(u * 255 / width), uint8_t(v * 255 / height), blue});
        }
    }
    return image;
}

TEST(PngExport, ReadsBackPixelForPixel) {
    for (const auto& [width, height] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{300, 2}}) {
        const ViewImage image = gradient(width, height, 77);
        const Result<std::vector<uint8_t>> png = encodePng(image);
        ASSERT_TRUE(png) << png.message();
        const ViewImage back = decodePng(png.value());
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(back.rgb, image.rgb);
    }
}

struct GifReader {
    static int read(GifFileType* gif, GifByteType* into, int length) {
        auto* self = static_cast<GifReader*>(gif->UserData);
        const int n = std::min<int>(length, int(self->bytes.size() - self->at));
        std::memcpy(into, self->bytes.data() + self->at, std::size_t(n));
        self->at += std::size_t(n);
        return n;
    }
    const std::vector<uint8_t>& bytes;
    std::size_t at = 0;
};

struct GifClose {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using OpenGif = std::unique_ptr<GifFileType, GifClose>;

OpenGif slurp(GifReader& reader) {
    int error = 0;
    OpenGif gif(DGifOpen(&reader, GifReader::read, &error));
    EXPECT_TRUE(gif) << GifErrorString(error);
    if (gif) {
        EXPECT_EQ(DGifSlurp(gif.get()), GIF_OK) << GifErrorString(gif->Error);
    }
    return gif;
}

Rgb gifPixel(const GifFileType* gif, int frame, int u, int v) {
    const SavedImage& image = gif->SavedImages[frame];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    const GifColorType c = map->Colors[image.RasterBits[v * image.ImageDesc.Width + u]];
    return {c.Red, c.Green, c.Blue};
}

// Frames of a few colours each come back exactly; the file loops for ever and
// shows each frame for the delay asked.
TEST(GifExport, ReadsBackFramesSizesColoursAndDelay) {
    constexpr Rgb kColours[] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {255, 255, 255}};
    auto frameOf = [&](int32_t i) -> Result<ViewImage> {
        ViewImage image{9, 6, {}};
        for (int32_t v = 0; v < 6; ++v) {
            for (int32_t u = 0; u < 9; ++u) {
                const Rgb c = kColours[(u / 3 + i) % 4];
                image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
            }
        }
        return image;
    };
    const Result<std::vector<uint8_t>> bytes = encodeGif(5, 8, frameOf);
    ASSERT_TRUE(bytes) << bytes.message();
    GifReader reader{bytes.value()};
    const OpenGif gif = slurp(reader);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->SWidth, 9);
    EXPECT_EQ(gif->SHeight, 6);
    ASSERT_EQ(gif->ImageCount, 5);
    bool loops = false;
    // giflib files the extensions before an image with that image.
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = first.ExtensionBlocks[i];
        loops |= block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                 std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0;
    }
    EXPECT_TRUE(loops);
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(gif->SavedImages[frame].ImageDesc.Width, 9);
        EXPECT_EQ(gif->SavedImages[frame].ImageDesc.Height, 6);
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), frame, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 8);
        for (int u = 0; u < 9; ++u) {
            EXPECT_EQ(gifPixel(gif.get(), frame, u, 5), kColours[(u / 3 + frame) % 4])
                << frame << "," << u;
        }
    }
}

// A frame of more than 256 colours is reduced to near ones.
TEST(GifExport, ManyColoursAreReducedToNearOnes) {
    const ViewImage image = gradient(64, 48, 128);
    const Result<std::vector<uint8_t>> bytes =
        encodeGif(1, 8, [&](int32_t) -> Result<ViewImage> { return image; });
    ASSERT_TRUE(bytes) << bytes.message();
    GifReader reader{bytes.value()};
    const OpenGif gif = slurp(reader);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->ImageCount, 1);
    int worst = 0;
    double total = 0;
    for (int v = 0; v < 48; ++v) {
        for (int u = 0; u < 64; ++u) {
            const Rgb shown = gifPixel(gif.get(), 0, u, v);
            const Rgb wanted = pixelAt(image, u, v);
            for (const int error : {shown.r - wanted.r, shown.g - wanted.g, shown.b - wanted.b}) {
                worst = std::max(worst, std::abs(error));
                total += std::abs(error);
            }
        }
    }
    EXPECT_LE(worst, 48);
    EXPECT_LE(total / (64 * 48 * 3), 8.0);
}

// Each frame's palette comes from its own colours: a plain area beside
// thousands of other colours keeps its colour to within 8 levels, white
// stays white and yellow yellow, frame after frame.
TEST(GifExport, PlainColoursBesideManyOthersKeepTheirColour) {
    constexpr Rgb kPlain[] = {{255, 255, 0}, {255, 255, 255}, {12, 12, 12},
                              {255, 0, 0},   {230, 180, 150}, {0, 90, 255}};
    constexpr int kFrames = sizeof kPlain / sizeof kPlain[0];
    // Left: a gradient through red, green and blue; right: the plain colour.
    auto frameOf = [&](int32_t i) -> Result<ViewImage> {
        ViewImage image = gradient(96, 64, 0);
        for (int32_t v = 0; v < 64; ++v) {
            for (int32_t u = 0; u < 96; ++u) {
                uint8_t* rgb = image.rgb.data() + 3 * (v * 96 + u);
                rgb[2] = uint8_t((u * 7 + v * 3 + i * 40) % 256);
                if (u >= 64) {
                    rgb[0] = kPlain[i].r;
                    rgb[1] = kPlain[i].g;
                    rgb[2] = kPlain[i].b;
                }
            }
        }
        return image;
    };
    const Result<std::vector<uint8_t>> bytes = encodeGif(kFrames, 8, frameOf);
    ASSERT_TRUE(bytes) << bytes.message();
    GifReader reader{bytes.value()};
    const OpenGif gif = slurp(reader);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->ImageCount, kFrames);
    for (int frame = 0; frame < kFrames; ++frame) {
        const ViewImage image = frameOf(frame).value();
        double gradientError = 0;
        for (int v = 0; v < 64; ++v) {
            for (int u = 0; u < 96; ++u) {
                const Rgb shown = gifPixel(gif.get(), frame, u, v);
                const Rgb wanted = pixelAt(image, u, v);
                const int errors[] = {shown.r - wanted.r, shown.g - wanted.g, shown.b - wanted.b};
                for (const int error : errors) {
                    if (u >= 64) {
                        ASSERT_LE(std::abs(error), 8)
                            << "frame " << frame << " at " << u << "," << v;
                    } else {
                        gradientError += std::abs(error);
                    }
                }
            }
        }
        EXPECT_LE(gradientError / (64 * 64 * 3), 8.0) << "frame " << frame;
    }
}

TEST(GifExport, AFrameThatFailsEndsTheFileWithItsMessage) {
    const Result<std::vector<uint8_t>> bytes = encodeGif(3, 8, [](int32_t i) -> Result<ViewImage> {
        if (i == 1) {
            return Status::fail("第 2 帧做不出来。");
        }
        return gradient(4, 4, 0);
    });
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.message(), "第 2 帧做不出来。");
}

TEST(SavedFile, WritesAndReplacesWhole) {
    TempDir dir;
    JobState job;
    const std::vector<uint8_t> first{1, 2, 3};
    const std::vector<uint8_t> second(100000, 9);
    const Result<std::filesystem::path> target = exportTarget(job, (dir / "view.png").string());
    ASSERT_TRUE(target) << target.message();
    ASSERT_TRUE(saveFile(target.value(), first));
    EXPECT_EQ(readFile(dir / "view.png"), first);
    ASSERT_TRUE(saveFile(target.value(), second));
    EXPECT_EQ(readFile(dir / "view.png"), second);
    // Nothing but the file itself is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(SavedFile, RefusesWhatARunRefuses) {
    TempDir dir;
    const FlipScene scene = flipScene(dir.path(), {{8, 8}, {8, 8}}, {2, 40, 40});
    const std::vector<uint8_t> picture = readFile(scene.job.InPath(2));
    struct Row {
        std::string path;
        const char* says;
    };
    const Row rows[] = {
        {scene.job.InPath(2), "输出文件不能是源图片本身（第 2 张图片）"},
        {(dir / "none" / "v.png").string(), "输出文件夹不存在"},
        {dir.path().string(), "不是普通文件"},
        {"", "请填写输出文件名"},
    };
    for (const Row& row : rows) {
        const Result<std::filesystem::path> target = exportTarget(scene.job, row.path);
        ASSERT_FALSE(target) << row.path;
        EXPECT_NE(target.message().find(row.says), std::string::npos) << target.message();
    }
    EXPECT_EQ(readFile(scene.job.InPath(2)), picture);
}

} // namespace
} // namespace tovrel::test
