#include "tests/support/tiff_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include <tiffio.h>

namespace tovrel::test {

namespace {

std::vector<std::string>* collected = nullptr;

void collect(const char* module, const char* fmt, va_list ap) {
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, ap);
    if (collected != nullptr) {
        collected->push_back(std::string(module != nullptr ? module : "") + ": " + text);
    }
}

// Routes libtiff's warnings and errors into a list while it lives.
class Complaints {
  public:
    explicit Complaints(std::vector<std::string>& into)
        : warning_(TIFFSetWarningHandler(collect)), error_(TIFFSetErrorHandler(collect)) {
        collected = &into;
    }
    ~Complaints() {
        TIFFSetWarningHandler(warning_);
        TIFFSetErrorHandler(error_);
        collected = nullptr;
    }
    Complaints(const Complaints&) = delete;
    Complaints& operator=(const Complaints&) = delete;

  private:
    TIFFErrorHandler warning_;
    TIFFErrorHandler error_;
};

uint32_t be32(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 |
           uint32_t{b[at + 3]};
}

// Reads the fields, then every row or the rows wanted.
TiffContents readFields(const std::filesystem::path& file, bool every,
                        const std::vector<uint32_t>& wanted) {
    TiffContents c;
    Complaints complaints(c.complaints);
    // "c": no virtual splitting of the one strip, so the fields read are the file's own.
    TIFF* tif = TIFFOpen(file.c_str(), "rc");
    if (tif == nullptr) {
        return c;
    }
    c.opened = true;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &c.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &c.height);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &c.samplesPerPixel);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &c.bitsPerSample);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &c.photometric);
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &c.planar);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &c.compression);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &c.rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &c.xResolution);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &c.yResolution);
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &c.resolutionUnit);
    TIFFGetField(tif, TIFFTAG_INKSET, &c.inkSet);
    uint32_t iccBytes = 0;
    const uint8_t* icc = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccBytes, &icc) && icc != nullptr) {
        c.iccProfile.assign(icc, icc + iccBytes);
    }
    c.bigTiff = TIFFIsBigTIFF(tif) != 0;
    c.strips = TIFFNumberOfStrips(tif);
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    if (TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) && offsets != nullptr) {
        c.stripOffsets.assign(offsets, offsets + c.strips);
        c.stripOffset = offsets[0];
    }
    if (TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts != nullptr) {
        c.stripByteCounts.assign(counts, counts + c.strips);
        c.stripByteCount = counts[0];
    }
    uint32_t psSize = 0;
    uint8_t* ps = nullptr;
    if (TIFFGetField(tif, TIFFTAG_PHOTOSHOP, &psSize, &ps) && ps != nullptr) {
        c.photoshop.assign(ps, ps + psSize);
    }
    if (char* software = nullptr; TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) && software) {
        c.software = software;
    }
    const tmsize_t rowSize = TIFFScanlineSize(tif);
    const uint32_t count = every ? c.height : static_cast<uint32_t>(wanted.size());
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<uint8_t> line(static_cast<std::size_t>(rowSize));
        if (TIFFReadScanline(tif, line.data(), every ? i : wanted[i], 0) != 1) {
            break;
        }
        c.rows.push_back(std::move(line));
    }
    TIFFClose(tif);
    return c;
}

} // namespace

TiffContents readTiff(const std::filesystem::path& file, bool readRows) {
    return readFields(file, readRows, {});
}

TiffContents readTiffRows(const std::filesystem::path& file, const std::vector<uint32_t>& rows) {
    return readFields(file, false, rows);
}

std::vector<uint8_t> imageResource(const std::vector<uint8_t>& block, uint16_t id) {
    std::size_t at = 0;
    while (at + 8 <= block.size() && std::equal(block.begin() + at, block.begin() + at + 4,
                                                std::string_view("8BIM").begin())) {
        const uint16_t resourceId = static_cast<uint16_t>(block[at + 4] << 8 | block[at + 5]);
        std::size_t nameSize = 1 + std::size_t{block[at + 6]};
        nameSize += nameSize % 2;
        const std::size_t sizeAt = at + 6 + nameSize;
        if (sizeAt + 4 > block.size()) {
            break;
        }
        const std::size_t dataAt = sizeAt + 4;
        const std::size_t size = be32(block, sizeAt);
        if (size > block.size() - dataAt) {
            break;
        }
        if (resourceId == id) {
            return std::vector<uint8_t>(block.begin() + dataAt, block.begin() + dataAt + size);
        }
        at = dataAt + size + size % 2;
    }
    return {};
}

::testing::AssertionResult readsAsTiff(const std::filesystem::path& file, uint32_t width,
                                       uint32_t height, float resolution) {
    const TiffContents tiff = readTiff(file, true);
    if (!tiff.opened || !tiff.complaints.empty()) {
        auto failure = ::testing::AssertionFailure() << file << " does not read cleanly:";
        for (const std::string& complaint : tiff.complaints) {
            failure << " " << complaint;
        }
        return failure;
    }
    if (tiff.width != width || tiff.height != height || tiff.rows.size() != height ||
        std::abs(tiff.xResolution - resolution) > 1e-3f) {
        return ::testing::AssertionFailure()
               << file << " is " << tiff.width << " x " << tiff.height << " (" << tiff.rows.size()
               << " rows) at " << tiff.xResolution << " pixels per inch";
    }
    return ::testing::AssertionSuccess();
}

} // namespace tovrel::test
