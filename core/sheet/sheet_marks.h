#pragma once
// The marks of a press sheet, drawn into its rows as they are made: crop
// marks at every card's trim lines beyond the bleed, lens alignment bars (a
// grating of the lens pitch, in phase with the cards' grid) in the margins
// beside the lenses' ends, and a slug line naming the job. Marks lie on the
// paper only; no mark touches a card's bleed.

#include "common/status.h"
#include "sheet/sheet_geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovrel {

// Every pixel a mark writes goes through here. RGB: full ink (amount 255) is
// black, less a blend towards it. CMYK: the registration colour, every ink
// (or K alone for the alignment bars), 0 being no ink.
inline void putInk(unsigned char* pixel, uint8_t amount, int32_t pixelBytes, bool keyOnly) {
    if (pixelBytes == 3) {
        for (int i = 0; i < 3; ++i) {
            pixel[i] = static_cast<unsigned char>(pixel[i] * (255 - amount) / 255);
        }
        return;
    }
    for (int i = keyOnly ? 3 : 0; i < 4; ++i) {
        pixel[i] = static_cast<unsigned char>(pixel[i] + (255 - pixel[i]) * amount / 255);
    }
}

// Crop mark line width: 0.25 pt, at least a pixel.
int64_t cropLinePixels(double ppi);

// Whether sheet position p across the lenses (x, or y from the top) lies in
// the inked first half of its lens: the alignment bars' grating.
bool barInked(const SheetLayout& layout, int64_t p);

class SheetMarks {
  public:
    // No marks when the layout has none. slug: the text of the slug line;
    // pixelBytes: 3 for RGB rows, 4 for CMYK.
    static Result<SheetMarks> build(const SheetLayout& layout, const std::string& slug,
                                    int32_t pixelBytes = 3);

    // Row y (from the top) carries the same marks as row y - 1.
    bool sameAsAbove(int64_t y) const { return !changes_[std::size_t(y)]; }
    // Inks the marks of row y into a row of the sheet's width.
    void apply(int64_t y, unsigned char* row) const;

    const std::vector<PixelRect>& cropMarks() const { return crops_; }
    const std::vector<PixelRect>& bars() const { return bars_; }
    PixelRect slugBox() const { return slugBox_; }
    // Ink 0..255 of the slug line at (x, y) of the sheet.
    uint8_t slugInk(int64_t x, int64_t y) const;

  private:
    void markChanges(const PixelRect& r);

    SheetLayout layout_;
    int32_t px_ = 3; // bytes per pixel
    std::vector<PixelRect> crops_;
    std::vector<PixelRect> bars_;
    PixelRect slugBox_;
    std::vector<uint8_t> slugInk_; // rows of slugBox_'s width
    std::vector<bool> changes_;    // per row: its marks differ from the row above
};

// The slug line's text: file name, pitch, lenses per inch, resolution, print
// size, frames and date.
std::string slugText(const JobState& job, const RunSettings& settings, const std::string& date);

} // namespace tovrel
