#pragma once
// Reads an output file back through libtiff, collecting every warning and
// error libtiff reports, so tests can insist on a file every reader accepts.

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tovrel::test {

struct TiffContents {
    bool opened = false;
    std::vector<std::string> complaints; // libtiff's warnings and errors
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t samplesPerPixel = 0;
    uint16_t bitsPerSample = 0;
    uint16_t photometric = 0;
    uint16_t planar = 0;
    uint16_t compression = 0;
    uint32_t rowsPerStrip = 0;
    bool bigTiff = false;
    uint32_t strips = 0;
    uint64_t stripOffset = 0; // of the first strip
    uint64_t stripByteCount = 0;
    std::vector<uint64_t> stripOffsets; // of every strip
    std::vector<uint64_t> stripByteCounts;
    float xResolution = 0;
    float yResolution = 0;
    uint16_t resolutionUnit = 0;
    std::vector<uint8_t> photoshop;         // the image-resource block of tag 34377
    std::string software;                   // tag 305, when present
    uint16_t inkSet = 0;                    // tag 332, when present
    std::vector<uint8_t> iccProfile;        // tag 34675, when present
    std::vector<std::vector<uint8_t>> rows; // every scanline, when readRows
};

TiffContents readTiff(const std::filesystem::path& file, bool readRows);

// The same with only the given rows read (0 = the top row), in that order:
// any row of a file too large to read whole.
TiffContents readTiffRows(const std::filesystem::path& file, const std::vector<uint32_t>& rows);

// Whether every row of file reads through libtiff without a complaint, as an
// image of width x height pixels at the given resolution (pixels per inch).
::testing::AssertionResult readsAsTiff(const std::filesystem::path& file, uint32_t width,
                                       uint32_t height, float resolution);

// The data of the first image resource with the given id in a Photoshop
// image-resource block; empty when there is none.
std::vector<uint8_t> imageResource(const std::vector<uint8_t>& block, uint16_t id);

} // namespace tovrel::test
