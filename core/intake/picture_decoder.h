#pragma once
// Decoding a picture file of any accepted format into rows of 8-bit blue,
// green and red bytes. Each format's library sits behind PictureDecoder;
// its errors and warnings become a Status whose message names the file.

#include "colour/embedded_profile.h"
#include "common/status.h"
#include "params/posix_file.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace tovrel {

struct PictureInfo {
    int32_t width = 0; // as stored, before the orientation is applied
    int32_t height = 0;
    int32_t resolution = 0;  // horizontal pixels per metre; 0 when the file gives none
    int orientation = 1;     // the EXIF / TIFF orientation, 1 to 8; 1 is upright
    EmbeddedProfile profile; // the colour profile the file carries
};

// Whether the orientation turns the picture on its side (5 to 8).
constexpr bool swapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Where a decoder puts its rows, in the stored orientation, row 0 on top.
class DecodedRows {
  public:
    virtual ~DecodedRows() = default;
    // The whole of row y: width pixels of 3 bytes.
    virtual Status row(int32_t y, const uint8_t* bgr) = 0;
    // Pixels x0, x0 + dx, ... of row y, `count` of them: one row of an
    // interlacing pass. Only used for pictures stored upright.
    virtual Status pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) = 0;
};

class PictureDecoder {
  public:
    virtual ~PictureDecoder() = default;
    const PictureInfo& info() const { return info_; }
    // Hands every row to `out` once (an interlaced picture pass by pass).
    virtual Status decode(DecodedRows& out) = 0;

  protected:
    PictureInfo info_;
};

enum class PictureFormat { PlainBmp, Bmp, Png, Jpeg, Tiff, Unknown };

// The format of a file by its first bytes. PlainBmp is an uncompressed
// 24-bit BMP stored bottom-up, which a run reads in place.
PictureFormat sniffFormat(const std::filesystem::path& file);

// A row of a decoded picture may take this many bytes at most (some 22
// million pixels): decoders hold a few rows in memory.
constexpr int64_t kMaxRowBytes = 64LL << 20;

// A decoder over `picture`, the open file `file`, with its header read and its
// size checked: the upright picture's rows, laid out as a BMP of pixelBytes
// a pixel, must fit 32-bit file positions, and a row kMaxRowBytes. Refuses
// unknown formats; PlainBmp files are decoded only when their colours are
// converted.
Result<std::unique_ptr<PictureDecoder>>
openPicture(const std::filesystem::path& file, const PosixFile& picture, int32_t pixelBytes = 3);

} // namespace tovrel
