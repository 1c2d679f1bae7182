// Writes the program's data file kvxj.dll: the 1448-byte header that every
// output file starts with, followed by the pitches of commonly sold lens
// sheets. Usage: make_kvxj <path of kvxj.dll>
//
// The header is a complete little-endian TIFF header for a one-strip,
// uncompressed, 8-bit RGB image whose pixels start at byte 1448. The writer of
// an output file patches the width, the height, the rows per strip and the
// resolution in place, so those fields sit at fixed offsets, checked below at
// compile time.

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "params/pitch_store.h"
#include "tiff/tiff_resolution.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

using tovrel::kTemplateSize;

enum Type : uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value; // the value itself, or the offset of the values
};

constexpr uint32_t kIfdAt = 8;
constexpr uint32_t kEntryCount = 16;
constexpr uint32_t kDataAt = kIfdAt + 2 + 12 * kEntryCount + 4; // behind the IFD

constexpr uint32_t kBitsPerSampleAt = kDataAt; // 3 SHORTs

// Photoshop image-resource block with one resource, 1005 ResolutionInfo:
// "8BIM", id, empty name padded to 2 bytes, data size, then 16 bytes of data
// whose first field (horizontal resolution) must land at 228.
constexpr uint32_t kResolutionInfoDataAt = 228;
constexpr uint32_t kPhotoshopAt = kResolutionInfoDataAt - 12;
constexpr uint32_t kPhotoshopSize = 12 + 16;
static_assert(kBitsPerSampleAt + 6 <= kPhotoshopAt);

constexpr uint32_t kXResolutionAt = kPhotoshopAt + kPhotoshopSize;
constexpr uint32_t kYResolutionAt = kXResolutionAt + 8;
constexpr std::string_view kSoftware = "Tovrel V2.1"; // written with its terminating NUL
constexpr uint32_t kSoftwareAt = kYResolutionAt + 8;
static_assert(kSoftwareAt + kSoftware.size() + 1 <= kTemplateSize);

constexpr uint32_t kStripAt = kTemplateSize;
constexpr float kDefaultResolution = 300; // pixels per inch until a run patches it

// The first IFD, in ascending tag order. The template alone describes a 1 x 1
// image; every run overwrites the size fields.
constexpr std::array<Entry, kEntryCount> kEntries = {{
    {254, kLong, 1, 0},                               // NewSubfileType: full image
    {256, kLong, 1, 1},                               // ImageWidth
    {257, kLong, 1, 1},                               // ImageLength
    {258, kShort, 3, kBitsPerSampleAt},               // BitsPerSample 8, 8, 8
    {259, kShort, 1, 1},                              // Compression: none
    {262, kShort, 1, 2},                              // PhotometricInterpretation: RGB
    {273, kLong, 1, kStripAt},                        // StripOffsets
    {277, kShort, 1, 3},                              // SamplesPerPixel
    {278, kLong, 1, 1},                               // RowsPerStrip: the whole image
    {279, kLong, 1, 3},                               // StripByteCounts
    {282, kRational, 1, kXResolutionAt},              // XResolution
    {283, kRational, 1, kYResolutionAt},              // YResolution
    {284, kShort, 1, 1},                              // PlanarConfiguration: chunky
    {296, kShort, 1, 2},                              // ResolutionUnit: inch
    {305, kAscii, kSoftware.size() + 1, kSoftwareAt}, // Software
    {34377, kByte, kPhotoshopSize, kPhotoshopAt},     // Photoshop image resources
}};

constexpr uint32_t valueFieldOf(uint16_t tag) {
    for (uint32_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].tag == tag) {
            return kIfdAt + 2 + 12 * i + 8;
        }
    }
    return 0;
}
static_assert(valueFieldOf(256) == 30 && valueFieldOf(257) == 42 && valueFieldOf(278) == 114);

constexpr bool ascending() {
    for (std::size_t i = 1; i < kEntries.size(); ++i) {
        if (kEntries[i - 1].tag >= kEntries[i].tag) {
            return false;
        }
    }
    return true;
}
static_assert(ascending());

// Commonly sold lens sheets, in lenses per inch.
constexpr std::array<int, 7> kLensesPerInch = {100, 75, 60, 50, 40, 30, 20};

class Bytes {
  public:
    explicit Bytes(std::size_t size) : bytes_(size, 0) {}

    void le16(std::size_t at, uint16_t v) {
        bytes_.at(at) = static_cast<uint8_t>(v);
        bytes_.at(at + 1) = static_cast<uint8_t>(v >> 8);
    }
    void le32(std::size_t at, uint32_t v) {
        le16(at, static_cast<uint16_t>(v));
        le16(at + 2, static_cast<uint16_t>(v >> 16));
    }
    void be16(std::size_t at, uint16_t v) {
        bytes_.at(at) = static_cast<uint8_t>(v >> 8);
        bytes_.at(at + 1) = static_cast<uint8_t>(v);
    }
    void be32(std::size_t at, uint32_t v) {
        be16(at, static_cast<uint16_t>(v >> 16));
        be16(at + 2, static_cast<uint16_t>(v));
    }
    void raw(std::size_t at, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            bytes_.at(at + i) = static_cast<uint8_t>(text[i]);
        }
    }
    void raw(std::size_t at, const std::array<uint8_t, 4>& four) {
        for (std::size_t i = 0; i < four.size(); ++i) {
            bytes_.at(at + i) = four[i];
        }
    }
    const std::vector<uint8_t>& data() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

Bytes headerTemplate() {
    Bytes b(kTemplateSize);
    b.raw(0, "II");
    b.le16(2, 42);
    b.le32(4, kIfdAt);

    b.le16(kIfdAt, kEntryCount);
    for (uint32_t i = 0; i < kEntryCount; ++i) {
        const std::size_t at = kIfdAt + 2 + 12 * i;
        const Entry& e = kEntries[i];
        b.le16(at, e.tag);
        b.le16(at + 2, e.type);
        b.le32(at + 4, e.count);
        // A SHORT that fits the value field sits in its first two bytes.
        if (e.type == kShort && e.count == 1) {
            b.le16(at + 8, static_cast<uint16_t>(e.value));
        } else {
            b.le32(at + 8, e.value);
        }
    }
    b.le32(kIfdAt + 2 + 12 * kEntryCount, 0); // no further IFD

    for (int i = 0; i < 3; ++i) {
        b.le16(kBitsPerSampleAt + 2 * i, 8);
    }

    // The TIFF resolution as a rational, the resource's as 16.16 fixed point.
    const uint32_t ppi = static_cast<uint32_t>(kDefaultResolution);
    b.le32(kXResolutionAt, ppi);
    b.le32(kXResolutionAt + 4, 1);
    b.le32(kYResolutionAt, ppi);
    b.le32(kYResolutionAt + 4, 1);

    b.raw(kSoftwareAt, kSoftware);

    const auto fixed = tovrel::resolutionBytes(kDefaultResolution);
    b.raw(kPhotoshopAt, "8BIM");
    b.be16(kPhotoshopAt + 4, 1005);
    b.be16(kPhotoshopAt + 6, 0); // empty name, padded to two bytes
    b.be32(kPhotoshopAt + 8, 16);
    b.raw(kResolutionInfoDataAt, fixed);
    b.be16(kResolutionInfoDataAt + 4, 1); // horizontal unit: pixels per inch
    b.be16(kResolutionInfoDataAt + 6, 1); // width shown in inches
    b.raw(kResolutionInfoDataAt + 8, fixed);
    b.be16(kResolutionInfoDataAt + 12, 1); // vertical unit: pixels per inch
    b.be16(kResolutionInfoDataAt + 14, 1); // height shown in inches
    return b;
}

// A sheet's pitch in millimetres, stored as the value its list text reads
// back as, so that picking it from the list gives exactly the stored value.
float pitchOf(int lensesPerInch) {
    const float exact = tovrel::toSingle(25.4 / lensesPerInch);
    return tovrel::toSingle(tovrel::leadingNumber(tovrel::pitchItemText(exact)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_kvxj <path of kvxj.dll>\n");
        return 2;
    }
    const std::filesystem::path target = argv[1];
    std::vector<uint8_t> file = headerTemplate().data();
    for (int lpi : kLensesPerInch) {
        const uint32_t bits = std::bit_cast<uint32_t>(pitchOf(lpi));
        for (int shift = 0; shift < 32; shift += 8) {
            file.push_back(static_cast<uint8_t>(bits >> shift));
        }
    }

    // Written beside the target and renamed, so a failed run leaves no
    // half-written data file for the build to take as done.
    std::filesystem::path temp = target;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make_kvxj: cannot write %s\n", temp.c_str());
            return 1;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::fprintf(stderr, "make_kvxj: cannot rename %s to %s: %s\n", temp.c_str(),
                     target.c_str(), ec.message().c_str());
        return 1;
    }
    return 0;
}
