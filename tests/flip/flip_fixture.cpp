#include "tests/flip/flip_fixture.h"

#include "tests/render/engine_fixture.h"

#include <gtest/gtest.h>
#include <png.h>
#include <stdexcept>

namespace tovrel::test {

FlipScene flipScene(const std::filesystem::path& folder, const std::vector<TestPicture>& pictures,
                    const SceneSettings& s) {
    FlipScene scene;
    choosePictures(scene.job, folder, pictures);
    scene.job.Pitch = s.pitch;
    scene.job.Sharp = s.sharp;
    // At a printer's resolution the size in pixels is the size in inches x R.
    auto size = [&](int32_t pixels) {
        return s.printerPpi != 0 ? pixels * 2.54 / s.printerPpi : sizeFor(scene.job, pixels);
    };
    scene.settings.widthCm = size(s.tifW);
    scene.settings.heightCm = size(s.tifH);
    scene.settings.printerPpi = s.printerPpi;
    scene.settings.horizontal = s.horizontal;
    scene.settings.whiteGaps = s.whiteWidth > 0;
    scene.settings.whiteWidth = s.whiteWidth;
    return scene;
}

FlipSimulator simulatorFor(const FlipScene& scene) {
    Result<FlipSimulator> prepared = FlipSimulator::prepare(scene.job, scene.settings);
    if (!prepared) {
        throw std::runtime_error(prepared.message());
    }
    return std::move(prepared).value();
}

ViewImage decodePng(const std::vector<uint8_t>& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) << png.message;
    png.format = PNG_FORMAT_RGB;
    ViewImage image{int32_t(png.width), int32_t(png.height), {}};
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    EXPECT_TRUE(png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) << png.message;
    png_image_free(&png);
    return image;
}

Rgb pixelAt(const ViewImage& view, int32_t u, int32_t v) {
    const std::size_t at = 3 * (std::size_t(v) * std::size_t(view.width) + std::size_t(u));
    return {view.rgb.at(at), view.rgb.at(at + 1), view.rgb.at(at + 2)};
}

} // namespace tovrel::test
