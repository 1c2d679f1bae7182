#pragma once
// The command line of the batch tool: what it accepts, checked as the window
// checks the same values, and its help text.

#include "common/leading_number.h"
#include "common/status.h"
#include "job/job_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrel {

// An anchor point as the X and Y boxes of its slot would hold it.
struct BatchAnchor {
    std::string x;
    std::string y;
};

struct BatchOptions {
    bool help = false;
    std::vector<std::string> pictures; // 2 to 4, in slot order
    std::string pitch;                 // texts as the pitch and sharpness boxes would hold them
    std::string sharpness;
    std::optional<std::string> width; // print size in cm, as typed into the size boxes
    std::optional<std::string> height;
    std::array<std::optional<BatchAnchor>, kSlots> anchors;
    bool horizontal = false;
    bool bigTiff = false;                  // BigTIFF whatever the size
    int32_t whiteGap = 0;                  // 0: no white gaps
    std::optional<std::string> printerPpi; // render at this printer resolution
    std::optional<std::string> output;
    std::optional<std::string> dataFile;
    // A flip preview instead of a run: the viewing phase (0 to 1), the view's
    // width in pixels, the lens sheet's pitch error in percent and the PNG file.
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
    // --read-pitch: the lens pitch read from a photograph of that chart under
    // the lens sheet, instead of writing the chart.
    std::optional<std::string> readPitch;
};

// args: the arguments after the program name. A failure's message says what
// is wrong with which option.
Result<BatchOptions> parseBatchOptions(const std::vector<std::string>& args);

// What --help prints.
std::string_view batchUsage();

} // namespace tovrel
