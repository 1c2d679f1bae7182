#pragma once
// Colour management on LittleCMS 2. A ColourPlan is the run's colour
// settings with their profile files read and checked once; a PictureColour
// is the one transform of one picture, from its own profile (or the one
// assigned to pictures without, or sRGB) into the output's space, applied
// to its rows as they are decoded into its store.

#include "colour/embedded_profile.h"
#include "colour/pixel_format.h"
#include "common/status.h"
#include "params/colour_settings.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace tovrel {

struct ColourPlan {
    ColourSettings settings;
    std::vector<uint8_t> input; // the profile assigned to pictures without one; empty: sRGB
    OutputColour output;        // format, the output profile (empty: sRGB, untagged), paper white

    // Whether pictures are converted at all; without, plain BMP files are
    // read in place and every run is as it always was.
    bool converts() const { return !settings.none(); }
};

// Reads and checks the settings' profile files: each must open in
// LittleCMS and fit its use (profileUsesOf). Messages name the file.
Result<ColourPlan> colourPlanOf(const ColourSettings& settings);

// Settings kept from an earlier session, each profile that no longer opens
// or fits (a file deleted or replaced since) dropped for sRGB; intent and
// black-point compensation stay. `dropped` names the files dropped.
struct RestoredColour {
    ColourPlan plan;
    std::vector<std::string> dropped;
};
RestoredColour restoredColourOf(ColourSettings settings);

// What a profile file can be chosen for. The profile of RGB pictures: an RGB
// profile of a device or a colour space (input, display, output or colour
// space class). The output: an RGB or CMYK profile of the display, output or
// colour space class. Grey, Lab, named-colour, abstract and link profiles
// are neither. Nothing for a file that does not open.
struct ProfileUses {
    bool input = false;
    bool output = false;
};
ProfileUses profileUsesOf(const std::filesystem::path& file);

// The text LittleCMS last reported on this thread (its error handler is
// routed here); empty when it said nothing.
std::string lastColourLibraryError();

// Status::reason() of a picture whose embedded profile is broken: the user
// may take it as sRGB instead.
inline constexpr int kBrokenEmbeddedProfile = 1;

// Pixels of an output (as its stores hold them) as the screen shows them:
// blue, green, red in sRGB, through the output profile when there is one,
// so that the screen shows what the press will print.
// The colour a gamut proof marks the pixels with that the output cannot
// print: magenta (red, green, blue), which no photograph's skin or sky is.
inline constexpr std::array<uint8_t, 3> kGamutAlarm = {255, 0, 255};

class ScreenColour {
  public:
    static Result<ScreenColour> make(const OutputColour& output);
    // sRGB pixels (blue, green, red in, as the stores of a run without output
    // profile hold them) as the output will print them with the run's intent,
    // those outside the output profile's gamut in kGamutAlarm: a soft proof
    // with a gamut check.
    static Result<ScreenColour> gamutProof(const OutputColour& output,
                                           const ColourSettings& settings);
    bool identity() const { return !transform_; }
    // `pixels` store pixels into blue, green, red.
    void apply(const uint8_t* stored, uint8_t* bgr, std::size_t pixels) const;

  private:
    std::shared_ptr<void> transform_;
};

// The same for a whole buffer of store pixels.
Result<std::vector<uint8_t>> onScreen(const OutputColour& output, std::vector<uint8_t> pixels);

class PictureColour {
  public:
    // The transform for a picture carrying `embedded`. A broken embedded
    // profile is refused (kBrokenEmbeddedProfile) unless brokenAsSrgb; one
    // that is not RGB is passed over with a note, as if the file had none.
    static Result<PictureColour> make(const ColourPlan& plan, const EmbeddedProfile& embedded,
                                      const std::filesystem::path& picture, bool brokenAsSrgb);

    // No transform: untagged sRGB pictures without any conversion.
    bool identity() const { return !transform_; }
    int32_t pixelBytes() const { return pixelBytes_; }
    // `pixels` pixels of blue, green, red into pixelBytes() bytes each.
    void apply(const uint8_t* bgr, uint8_t* out, std::size_t pixels) const;

    struct Closer {
        void operator()(void* transform) const;
    };

  private:
    std::shared_ptr<void> transform_;
    int32_t pixelBytes_ = 3;
};

} // namespace tovrel
