#pragma once
// The print settings as the controls hold them: what a run reads from their
// texts, when they may be confirmed, the printer resolution box's range, and
// the resolution the window shows. The window and the batch tool fill in the
// same texts and get the same run.

#include "colour/pixel_format.h"
#include "params/colour_settings.h"
#include "params/resolution.h"
#include "params/sheet_settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tovrel {

inline constexpr int32_t kMinPrinterPpi = 72;
inline constexpr int32_t kMaxPrinterPpi = 4800;
inline constexpr const char* kPrinterPpiLabel = "DPI"; // fits the narrow box beside its check box

// The settings of a run, as plain values.
struct RunSettings {
    double widthCm = 0;      // leading number of CombK
    double heightCm = 0;     // leading number of CombG
    bool whiteGaps = false;  // LB1 checked
    int32_t whiteWidth = 0;  // leading number of Combo1's item, rounded half even; 0 if none
    bool horizontal = false; // Op_h selected
    int32_t printerPpi = 0;  // the printer's resolution to render at; 0: the lenses' own
    bool bigTiff = false;    // BigTIFF whatever the size (the batch tool's --bigtiff)
    ColourSettings colour{}; // profiles, intent, black-point compensation
    OutputColour output{};   // what colour's output profile gives (outputColourOf)
    SheetSettings press{};   // bleed, and the sheet of copies
};

// A card of many frames (animation, depth): the frame that lies in the
// card's plane, and the horizontal shift in frame pixels between
// neighbouring frames; frame k moves (k - keyFrame) x parallax pixels to the
// right before interlacing, and the common frame shrinks to what all share.
struct FrameSettings {
    int32_t keyFrame = 1; // 1 to the number of frames
    double parallax = 0;
};

// The controls' texts and states.
struct SettingsTexts {
    std::string pitch;                       // Combo3
    std::string sharpness;                   // Combo4
    std::string width;                       // CombK
    std::string height;                      // CombG
    bool whiteGaps = false;                  // LB1
    std::optional<std::string> whiteGapItem; // Combo1's chosen item, if any
    bool horizontal = false;                 // Op_h
    bool printerRes = false;                 // PrinterRes
    std::string printerPpi;                  // ComboRes
    SheetSettings press{};                   // the sheet dialog's bleed and sheet
};

// A printer resolution typed into its box: a whole number of 72 to 4800 is
// taken; a shorter run of digits may still grow into one while the user types;
// anything else is refused and the box shows its label.
enum class PpiEntry { Taken, Growing, Refused };
PpiEntry printerPpiEntry(const std::string& text);

// The printer resolution of a box's text: nothing unless it is taken.
std::optional<int32_t> printerPpiOf(const std::string& text);

// The settings a run reads. A printer resolution switched on but not taken
// gives -1, which the run refuses.
RunSettings runSettingsOf(const SettingsTexts& texts);

// What the confirming click stores, and whether a run may start with it: a
// pitch and a sharpness other than 0, two pictures or more and, when printing
// at the printer's resolution, a resolution that is taken.
struct Confirmation {
    float Pitch = 0;
    float Sharp = 0;
    bool valid = false;
};
Confirmation confirmSettings(const SettingsTexts& texts, uint8_t viewCount);

// Why the print size cannot be confirmed: a width or height that is not a
// number ("abc", or the box's label while nothing was entered). Nothing when
// both begin with a number; whether it gives a picture of at least a pixel is
// the run's check.
std::optional<std::string> printSizeProblem(const SettingsTexts& texts);

// The resolution label's text: the printer's when printing at it, else the
// resolution of pitch and sharpness; nothing where the label keeps its text.
std::optional<std::string> shownResolution(const std::optional<Resolution>& lens,
                                           const SettingsTexts& texts);

} // namespace tovrel
