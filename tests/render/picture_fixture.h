#pragma once
// Source pictures for engine tests: BMP files whose every pixel tells which
// picture, column and row it is, written by Qt's image writer or by hand for
// odd layouts, and a job state set up as the window leaves it after choosing
// them.

#include "job/job_state.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace tovrel {
class PictureCache;
}

namespace tovrel::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct TestPicture {
    int32_t width = 8;
    int32_t height = 8;
    int32_t anchorX = 0; // anchor point, pixels from the left and top edges
    int32_t anchorY = 0;
    bool handBuilt = false; // Qt's writer otherwise
    // Hand-built only: where the pixels start (a gap after the headers is
    // filled with junk), and how many bytes of junk follow the last row
    // (negative: that many bytes cut off its pad bytes and pixels).
    int32_t dataOffset = 54;
    int32_t tailBytes = 0;
    // Qt's writer only: every pixel this colour instead of the pattern.
    std::optional<Rgb> solid;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// Colour of picture n's pixel in the given column (1 = left) and stored row
// (1 = bottom). Never black or white; distinct for every n up to 6, column
// and row below 256 x 256; up to 64 pictures differ at every same pixel.
Rgb sourceColour(int32_t n, int32_t column, int32_t storedRow);

void writePicture(const std::filesystem::path& file, int32_t n, const TestPicture& picture);

// Writes the pictures as pic1.bmp, pic2.bmp, ... into folder and fills the
// job as choosing them does: paths, header values read from the files, the
// common frame of the anchors and where it starts in each file. Throws when
// a header is refused.
// With a cache, the pictures are read through their stores, decoded under
// the cache's colour settings.
void choosePictures(JobState& job, const std::filesystem::path& folder,
                    const std::vector<TestPicture>& pictures, const PictureCache* cache = nullptr);

// Colour of frame pixel (x, y) of picture n (y = 1 is the frame's bottom row).
Rgb frameColour(const JobState& job, int32_t n, int32_t x, int32_t y);

} // namespace tovrel::test
