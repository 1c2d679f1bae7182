#pragma once
// Pitch and sharpness: their ranges, the white-gap choices a sharpness
// allows, and the print resolution they give.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrel {

inline constexpr const char* kPitchLabel = "栅距";
inline constexpr const char* kPitchListLabel = "栅距mm";
inline constexpr const char* kSharpnessLabel = "清晰倍数";
inline constexpr const char* kResolutionUnit = " 像素/英寸";
// The resolution label's design text: the unit alone, no resolution yet.
inline constexpr const char* kResolutionLabelText = "       像素/英寸";

bool pitchInRange(double pitch); // 0 to 3 mm
// Sharpness is a whole number of pixels per picture under each lens: a strip
// of 2.5 pixels cannot be printed, and rounding it would leave strips that no
// longer match the lens pitch.
bool sharpnessIsWhole(double sharpness);
bool sharpnessInRange(double sharpness); // a whole number from 1 to 20

// The white-gap choices for a sharpness: "1/4", "2/4", "3/4" for 4; none for 1.
std::vector<std::string> whiteGapItems(double sharpness);

struct Resolution {
    float Pitch = 0;
    float Sharp = 0;
    float fbl = 0;            // pixels per centimetre
    double pixelsPerInch = 0; // rounded to 3 decimals, for display
};

// The resolution of pitch and sharpness read from their boxes; nothing while
// either is 0 or fewer than two pictures are chosen, and nothing when the
// pitch rounds to a single-precision 0 or the resolution exceeds the single
// range.
std::optional<Resolution> printResolution(double pitch, double sharpness, uint8_t viewCount);

// The resolution label's text: "677.333 像素/英寸".
std::string resolutionLabel(double pixelsPerInch);

} // namespace tovrel
