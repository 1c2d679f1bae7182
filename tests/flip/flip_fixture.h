#pragma once
// Flip previews in tests: pictures chosen into a job with the pitch and
// sharpness a run would take, a print size that gives an exact output size,
// and the pixels of a view.

#include "flip/flip_simulator.h"
#include "tests/render/picture_fixture.h"

#include <filesystem>
#include <vector>

namespace tovrel::test {

struct FlipScene {
    JobState job;
    RunSettings settings;
};

struct SceneSettings {
    float sharp = 1;
    int32_t tifW = 100; // output size the print size is chosen for
    int32_t tifH = 100;
    bool horizontal = false;
    int32_t whiteWidth = 0; // 0: white gaps off
    float pitch = 0.254f;
    int32_t printerPpi = 0; // the printer-resolution rendering at this resolution
};

FlipScene flipScene(const std::filesystem::path& folder, const std::vector<TestPicture>& pictures,
                    const SceneSettings& settings);

// A simulator for the scene; fails the test when the scene is refused.
FlipSimulator simulatorFor(const FlipScene& scene);

// A PNG file's pixels, read through libpng.
ViewImage decodePng(const std::vector<uint8_t>& bytes);

// Pixel (u, v) of a view, v = 0 the top row.
Rgb pixelAt(const ViewImage& view, int32_t u, int32_t v);

} // namespace tovrel::test
