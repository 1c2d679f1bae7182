#pragma once
// The colour settings of a run, as the window's colour dialog and the batch
// tool's options give them: which profile untagged pictures are taken in,
// which profile the output is made for, and how colours outside it are
// brought in.

#include <optional>
#include <string>

namespace tovrel {

// LittleCMS's intents 0 to 3, in its order.
enum class RenderIntent { Perceptual, Relative, Saturation, Absolute };

struct ColourSettings {
    std::string inputProfile;  // ICC file for pictures without a profile; empty: sRGB
    std::string outputProfile; // ICC file of the output; empty: untagged sRGB, as always
    RenderIntent intent = RenderIntent::Relative;
    bool blackPointCompensation = true;

    bool operator==(const ColourSettings&) const = default;
    // Whether pictures are taken as they are (no profile anywhere): plain
    // BMP files are then read in place and runs are byte for byte as before.
    bool none() const { return inputProfile.empty() && outputProfile.empty(); }
};

// "perceptual", "relative", "saturation", "absolute" (the batch tool's words).
std::optional<RenderIntent> intentNamed(const std::string& name);
const char* intentName(RenderIntent intent);

} // namespace tovrel
