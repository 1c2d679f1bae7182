#pragma once
// Press settings: bleed around the card and the sheet of copies the run
// writes instead of one card. Read by the run, the window's sheet dialog and
// the batch tool alike.

#include "common/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovrel {

inline constexpr double kMaxBleedMm = 20;
inline constexpr double kMaxGutterMm = 20;
inline constexpr double kSheetBleedMm = 3; // the bleed a sheet gets unless told otherwise
inline constexpr double kDefaultGutterMm = 4;

struct SheetSettings {
    double bleedMm = 0; // on every side of the card, 0 to 20
    bool sheet = false; // write a sheet of copies instead of one card
    double paperWidthMm = 0;
    double paperHeightMm = 0;
    bool paperTurns = false; // a preset: the sheet may lie either way, whichever holds more
    int32_t rows = 0;        // copies as rows x columns; 0: as many as fit
    int32_t columns = 0;
    double gutterMm = kDefaultGutterMm; // asked between the cards' bleed edges, 0 to 20
    bool marks = false;                 // crop marks, lens alignment bars, slug line
    std::string layoutOut;              // the layout as JSON; empty: none
    std::string cutOut;                 // the trim lines as SVG; empty: none
    std::string slugDate;               // the slug line's date; empty: today
};

struct PaperPreset {
    const char* name;
    double widthMm;
    double heightMm;
};
inline constexpr PaperPreset kPaperPresets[] = {{"A4", 210, 297},
                                                {"A3", 297, 420},
                                                {"SRA3", 320, 450},
                                                {"Letter", 215.9, 279.4},
                                                {"Tabloid", 279.4, 431.8}};

// "A4", "A3", "SRA3", "Letter", "Tabloid" (any case) or "WxH" in centimetres.
// Sets the paper of `into`; a message when the text names no paper.
Status readPaper(std::string_view text, SheetSettings& into);
// "auto" or "RxC"; a message otherwise.
Status readCopies(std::string_view text, SheetSettings& into);
// Bleed and gutter within 0 to 20 mm.
Status checkSheetRanges(const SheetSettings& settings);

} // namespace tovrel
