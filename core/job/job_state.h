#pragma once
// The record that every handler of the main window shares: the chosen
// pictures, what their headers say, the common frame, the print parameters as
// last confirmed and the output geometry of the current run.

#include "colour/pixel_format.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrel {

// The window's picture slots; a card of many frames (animation, depth) is
// made from the frames dialog or the batch tool and holds up to kMaxFrames.
inline constexpr int kSlots = 4;
inline constexpr int kMaxFrames = 64;

// A per-frame field, addressed by frame number 1 to kMaxFrames; the window's
// slots are frames 1 to 4.
template <typename T> class SlotArray {
  public:
    T& operator()(int slot) { return values_.at(static_cast<size_t>(slot - 1)); }
    const T& operator()(int slot) const { return values_.at(static_cast<size_t>(slot - 1)); }

  private:
    std::array<T, kMaxFrames> values_{};
};

struct JobState {
    int32_t BaseW = 0;            // width of the common frame in pixels
    int32_t BaseH = 0;            // height of the common frame in pixels
    SlotArray<int32_t> ImgW;      // picture width as its header gives it
    SlotArray<int32_t> ImgH;      // picture height
    float fbl = 0;                // resolution: pixels per cm for display, pixels per inch in a run
    SlotArray<int32_t> ImgRes;    // horizontal resolution, pixels per metre
    SlotArray<int32_t> ImgStride; // bytes per stored row
    int32_t PixelBytes = 3;       // bytes a stored pixel: 4 in stores made for CMYK output
    int32_t RowBytes = 0;         // bytes per output row
    OutputColour OutColour;       // the run's pixel format and embedded profile
    SlotArray<int32_t> FramePos;  // 1-based file position of the frame's bottom-left pixel
    SlotArray<int32_t> DataOff;   // offset of the pixel data
    SlotArray<int32_t> ReadPos;   // scratch: last source row read in a run
    int32_t PutPos = 0;           // scratch: last output row written in a run
    uint8_t ActiveSlot = 0;       // slot the next picked file fills, 1 to 4
    std::string OutPath;          // output TIFF file
    SlotArray<std::string> InPath; // picture file of each slot
    // Decoded row store a run reads instead of InPath; empty for a plain
    // 24-bit BMP file, which is read in place.
    SlotArray<std::string> RowPath;
    std::string PickPath;        // file last clicked in the file list
    SlotArray<float> OffX;       // anchor X of each slot
    SlotArray<int32_t> FrameCol; // 1-based column where the frame begins
    std::vector<uint8_t> OutRow; // output row being assembled (kept after a run)
    float FrameTop = 0;          // extents of the common frame around the anchor
    float FrameLeft = 0;
    float FrameRight = 0;
    float FrameBottom = 0;
    uint8_t ViewCount = 0; // pictures chosen: 0 to 4 slots, or up to 64 frames
    uint8_t SharpB = 0;    // strip width in pixels
    float Aspect = 0;      // BaseW / BaseH; 0 until a frame was first found
    float Views = 0;       // ViewCount as a float
    float Pitch = 0;       // lens pitch in mm
    float Sharp = 0;       // sharpness multiple
    int32_t tifW = 0;      // output width in pixels
    int32_t tifH = 0;      // output height in pixels
    float Scale = 0;       // output pixels per frame pixel
    int32_t TifOK = 0;     // 1 once the current run's header is written
};

} // namespace tovrel
