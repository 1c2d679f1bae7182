#pragma once
// The command line of the batch tool: what it accepts, checked as the window
// checks the same values, and its help text.

#include "chart/paper.h"
#include "common/leading_number.h"
#include "common/status.h"
#include "intake/frame_intake.h"
#include "job/job_state.h"
#include "params/print_settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrel {

using BatchAnchor = FrameAnchor;

struct BatchOptions {
    bool help = false;
    bool version = false;
    std::vector<std::string> pictures;     // 2 to 64, in frame order
    std::optional<std::string> framesFrom; // a folder whose pictures are the frames
    bool reverse = false;                  // the frames in the opposite order
    FrameSettings frames;                  // key frame and parallax
    std::string pitch;                     // texts as the pitch and sharpness boxes would hold them
    std::string sharpness;
    std::optional<std::string> width; // print size in cm, as typed into the size boxes
    std::optional<std::string> height;
    std::array<std::optional<BatchAnchor>, kMaxFrames> anchors; // by frame
    bool horizontal = false;
    bool bigTiff = false;                  // BigTIFF whatever the size
    ColourSettings colour;                 // profiles, intent, black-point compensation
    bool brokenProfileAsSrgb = false;      // a broken embedded profile: the picture as sRGB
    int32_t whiteGap = 0;                  // 0: no white gaps
    std::optional<std::string> printerPpi; // render at this printer resolution
    std::optional<std::string> output;
    std::optional<std::string> dataFile;
    // A flip preview instead of a run: the viewing phase (0 up to 1), the view's
    // width in pixels, the lens sheet's pitch error in percent and the file
    // (PNG: the view at that phase; GIF: the looping sweep).
    std::optional<double> simulate;
    int32_t simulateWidth = 0;
    std::optional<double> pitchError;
    std::optional<std::string> simulateOut;
    // --pitch-test: a pitch test chart around pitch instead of a run.
    bool pitchTest = false;
    std::optional<std::string> range; // the chart's fields as typed, mm, ppi, cm, mm
    std::optional<std::string> step;
    std::optional<std::string> resolution;
    std::optional<std::string> bandHeight;
    Paper paper = Paper::A4; // the paper the chart fits
    // --bleed, and a press sheet of copies (--sheet, --copies, --gutter,
    // --marks, --layout-out, --cut-out).
    SheetSettings press;
    // --read-pitch: the lens pitch read from a photograph of that chart under
    // the lens sheet, instead of writing the chart.
    std::optional<std::string> readPitch;
};

// The flip preview's file: the extension picks the format (.png one view,
// .gif the looping sweep); nothing for any other.
enum class SimulationFormat { Png, Gif };
std::optional<SimulationFormat> simulationFormat(const std::string& file);

// args: the arguments after the program name. A failure's message says what
// is wrong with which option.
Result<BatchOptions> parseBatchOptions(const std::vector<std::string>& args);

// What --help prints.
std::string_view batchUsage();

// What --version prints: the program and its version, one line.
std::string batchVersion();

} // namespace tovrel
