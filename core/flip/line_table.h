#pragma once
// The pixels a flip view can sample, read once from the source pictures and
// kept: one line per output position along the lens axis that a view may
// show (one picture's pixels at one frame column or row), holding its colour
// at every view position across the lens axis. A view at another phase is
// then made from the lines alone, without reading a picture again.
//
// Memory: lines x view positions across x 3 bytes, bounded by the view's
// size, never by the pictures' or the output's.

#include "colour/colour_plan.h"
#include "common/status.h"
#include "flip/print_mapping.h"
#include "job/job_state.h"
#include "render/source_rows.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tovrel {

// A view: rows top first, red, green, blue per pixel.
struct ViewImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

class LineTable {
  public:
    static constexpr int32_t kBlackLine = 0;
    static constexpr int32_t kWhiteLine = 1;

    // The line that holds a position's pixels; -1 when it is not in the table.
    int32_t lineOf(const LensAxisPixel& pixel) const;

    // Makes the table anew for the given lens-axis positions (those of kind
    // Picture count, black and white lines always exist) at the view
    // positions across the lens axis, given in view order (top to bottom,
    // or left to right) by the frame index each is sampled from. The job's
    // store pixels reach the screen through `screen`.
    Status fill(const JobState& job, const ScreenColour& screen, const PrintMapping& mapping,
                std::vector<int32_t> crossFrames, std::span<const LensAxisPixel> pixels);

    // The view whose pixel i along the lens axis (from the left, or from the
    // bottom for horizontal strips) shows line lensLines[i].
    ViewImage compose(std::span<const int32_t> lensLines) const;

    // Bytes the table holds for a number of picture lines and view positions across.
    static std::size_t bytesFor(std::size_t pictureLines, std::size_t crossPositions);

  private:
    struct Line {
        int32_t picture;
        int32_t frameIndex;
        int32_t id;
    };
    Status fillVertical(const JobState& job, const ScreenColour& screen,
                        const std::vector<Line>& lines);
    Status readRow(const SourceRows& sources, const ScreenColour& screen, int32_t n, int32_t y,
                   std::vector<unsigned char>& row);
    Status fillHorizontal(const JobState& job, const ScreenColour& screen,
                          const std::vector<Line>& lines);
    uint8_t* at(int32_t line, std::size_t cross);

    bool horizontal_ = false;
    int32_t lineCount_ = 0;
    std::vector<int32_t> crossFrames_;
    // Line id by picture (index picture - 1) and frame index; -1 for none.
    std::vector<std::vector<int32_t>> index_;
    // Vertical strips: one row of lines per view row. Horizontal: one view
    // row per line.
    std::vector<uint8_t> pixels_;
    std::vector<unsigned char> stored_; // a row of store pixels on its way to the screen
    int32_t pixelBytes_ = 3;
};

} // namespace tovrel
