#pragma once
// Where a picture's preview goes inside its preview box, and the size label
// under it.

#include <cstdint>
#include <optional>
#include <string>

namespace tovrel {

// The preview image's place in the box's own coordinate units.
struct PreviewGeometry {
    float left;
    float top;
    float width;
    float height;
};

// Fits an imgW x imgH picture into a box of inner size boxW x boxH keeping its
// proportions. A portrait picture takes the box's full height and is centred
// across; a landscape or square one takes the full width and is centred
// vertically. The choice follows the picture's own shape only. Each value is
// set in single precision, and the second side is worked out from the first
// side as it was set.
PreviewGeometry fitPreview(int32_t imgW, int32_t imgH, float boxW, float boxH);

// A part of a picture as fractions of its width and height, from its top-left
// corner.
struct PictureShare {
    double left;
    double top;
    double width;
    double height;
};

// Where the common frame lies in a picture of imgW x imgH pixels: from column
// frameCol (1-based, from the left) and stored row frameRow (1-based, from
// the bottom), baseW x baseH pixels, cut to the picture. Nothing when no part
// of it lies inside the picture.
std::optional<PictureShare> frameShare(int32_t imgW, int32_t imgH, int32_t frameCol,
                                       int32_t frameRow, int32_t baseW, int32_t baseH);

// "height x width", e.g. "480 x 640" for a picture 640 wide and 480 high.
std::string sizeLabel(int32_t imgW, int32_t imgH);

} // namespace tovrel
