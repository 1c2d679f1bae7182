#pragma once
// The container of an output image: which form the file takes and the bytes
// around its pixel area. Every image that writes an output file (a run, a
// test chart) gets its header here, so all of them follow the same rules.
//
// Classic: the data file's template patched with the size and resolution,
// the pixel area at 1448, one zero byte behind it. Used whenever the file
// fits 2,147,483,647 bytes, so those files stay byte for byte as they were.
//
// BigTIFF: composed by the program for larger files, or for any size on
// request. A 16-byte header, the pixel area at 16, then the image directory:
// strips of whole rows of at most 8 MiB, XResolution, YResolution and
// ResolutionUnit (inch), and the template's image-resource block with its
// resolution fields patched as in the classic header.
//
// Either way the pixel area is 3 * tifW * tifH bytes of RGB rows, top row
// first, with nothing between rows: a writer fills it the same way in both.
//
// Output with a colour profile (RGB tagged with it, or CMYK: 4 bytes a
// pixel, separated, InkSet 1) is always composed, in the BigTIFF's layout:
// classic (version 42) while the file fits 2,147,483,647 bytes, else BigTIFF,
// the pixel area at 16 in both, the profile in tag 34675.

#include "colour/pixel_format.h"
#include "common/status.h"
#include "params/pitch_store.h"

#include <cstdint>
#include <vector>

namespace tovrel {

enum class TiffForm { Classic, Big };

// The most bytes a strip of a BigTIFF holds, so readers can stream it.
inline constexpr int64_t kMaxStripBytes = int64_t{8} << 20;

// BigTIFF when forced or when the classic file would pass 2,147,483,647 bytes.
TiffForm tiffFormFor(int32_t tifW, int32_t tifH, bool forceBigTiff, int32_t pixelBytes = 3);

// Where the pixel area of a file of that form and colour starts.
int64_t pixelAreaOffset(TiffForm form, const OutputColour& colour = {});

// Refuses sizes and resolutions the file's form cannot describe, with a
// message saying what limits the print and what to change.
Status checkHeaderLimits(int32_t tifW, int32_t tifH, float fbl, bool forceBigTiff,
                         int32_t pixelBytes = 3);

struct TiffContainer {
    TiffForm form = TiffForm::Classic;
    std::vector<uint8_t> head; // the file from offset 0; the pixel area follows
    int64_t pixelBytes = 0;    // 3 (or 4) * tifW * tifH
    std::vector<uint8_t> tail; // behind the pixel area, to the end of the file

    int64_t pixelOffset() const { return static_cast<int64_t>(head.size()); }
    int64_t length() const {
        return pixelOffset() + pixelBytes + static_cast<int64_t>(tail.size());
    }
};

// The header of a tifW x tifH image at fbl pixels per inch in the form
// tiffFormFor gives. Refuses what checkHeaderLimits refuses and a template
// that checkTemplate refuses; touches no file.
Result<TiffContainer> composeTiffContainer(int32_t tifW, int32_t tifH, float fbl,
                                           const TiffTemplate& tmpl, bool forceBigTiff,
                                           const OutputColour& colour = {});

} // namespace tovrel
