#pragma once
// A decoded picture written once, row by row, as an uncompressed 24-bit BMP
// file with its rows bottom-up and the picture turned upright: a run reads it
// exactly as it reads a BMP file the user chose. A store for CMYK output has
// 32 bits a pixel (cyan, magenta, yellow, black) instead. The identity
// record of the source follows the rows.

#include "intake/picture_decoder.h"
#include "intake/store_identity.h"
#include "params/posix_file.h"

#include <functional>
#include <vector>

namespace tovrel {

// Called with the share of the work done, 0 to 1000, each time it grows.
using DecodeProgress = std::function<void(int)>;

class RowStoreWriter final : public DecodedRows {
  public:
    // `store` is open for reading and writing and empty; `scratch`, needed
    // only by pictures turned on their side, holds their rows as stored
    // until they are turned. The rows handed in are store pixels of
    // pixelBytes each (3 or 4).
    RowStoreWriter(PosixFile store, PosixFile scratch, const PictureInfo& info,
                   const StoreRecord& record, DecodeProgress progress, int32_t pixelBytes = 3);

    // Bytes of the store file for a picture (its record too), and of the
    // scratch file.
    static int64_t storeBytes(const PictureInfo& info, int32_t pixelBytes = 3);
    static int64_t scratchBytes(const PictureInfo& info, int32_t pixelBytes = 3);

    Status begin(); // header and full length
    Status row(int32_t y, const uint8_t* bgr) override;
    Status pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) override;
    // Remaining rows, the turn of a picture on its side, the record; then
    // the store is synced to the disk.
    Status finish();
    PosixFile release() { return std::move(store_); }

  private:
    Status writeUpright(int32_t v, const uint8_t* bgr);
    Status flushBand();
    Status turnSideways();
    Status failed(int err) const;
    void advance();
    int64_t rowOffset(int32_t v) const; // of upright row v (0 on top)

    PosixFile store_, scratch_;
    PictureInfo info_;
    StoreRecord record_;
    int32_t px_;                      // bytes a pixel
    int32_t width_, height_, stride_; // upright
    DecodeProgress progress_;
    int64_t done_ = 0, total_ = 0;
    int shown_ = -1;
    // Rows are gathered in a band of store rows and written in runs.
    std::vector<uint8_t> band_;
    std::vector<char> filled_;
    int32_t bandFirst_ = -1, bandRows_ = 1, lastStoreRow_ = -1;
    std::vector<uint8_t> mirrored_;
};

} // namespace tovrel
