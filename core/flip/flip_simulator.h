#pragma once
// The flip card before it is printed: the output a run would write, seen
// through a simulated lens sheet at a viewing phase, at display size. Made
// straight from the source pictures' rows through the engine's own mapping,
// without writing the output; only the pixels the view samples are read.
//
// Views of the same inputs at the same size reuse what the first one read
// (line_table.h), so a sweep through the phases reads the pictures once.

#include "common/status.h"
#include "flip/line_table.h"
#include "flip/print_mapping.h"
#include "intake/picture_cache.h"
#include "job/job_state.h"
#include "render/run_geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tovrel {

struct ViewSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const ViewSize&) const = default;
};

// The output pixels a view samples: for each view column the output column
// (1 = left), for each view row the output row (1 = bottom).
struct ViewSamples {
    std::vector<int64_t> columns;
    std::vector<int64_t> rows;
};

// Steps through the phases 0 to 1 and back, as a card tilted to and fro:
// frame i of a sweep with `steps` phases each way (the turning points
// shown once), repeating every 2 x steps - 2 frames.
double sweepPhase(int64_t frame, int32_t steps);
int32_t sweepFrames(int32_t steps);
// Phases each way for a sweep of a card of `frames` frames: at least `least`,
// and at least one per frame, so that every frame's share of the lens holds
// a phase and the sweep shows every frame.
int32_t sweepStepsFor(int32_t least, int32_t frames);

// Whether two sets of inputs give the same view: the same pictures (and
// stores), frame, pitch, sharpness and settings, the printer resolution and
// the colour among them.
bool sameFlipInputs(const JobState& a, const RunSettings& as, const JobState& b,
                    const RunSettings& bs);

class FlipSimulator {
  public:
    // job: the chosen pictures with Pitch and Sharp as a run would take them.
    // Refuses what a run would refuse, with the run's message.
    static Result<FlipSimulator> prepare(JobState job, const RunSettings& settings);

    // The run's job with its output geometry.
    const JobState& job() const { return job_; }
    const PrintMapping& mapping() const { return mapping_; }

    // A view `width` pixels across in the print's proportions, and the
    // largest view in them that fits a box.
    ViewSize viewSize(int32_t width) const;
    ViewSize fitView(int32_t width, int32_t height) const;
    // Views larger than this on either side, or in all, are refused.
    static constexpr int32_t kMaxViewSide = 8192;
    static constexpr int64_t kMaxViewPixels = int64_t{32} << 20;

    // The phase at the middle of picture n's share of a lens.
    double pictureCentrePhase(int32_t n) const { return mapping_.pictureCentrePhase(n); }

    // Marks what the output profile cannot print (the settings' intent): the
    // views are then made from the pictures in sRGB, decoded through
    // `pictures`'s inSrgb() as a run without output profile takes them, and
    // show them as the output will print them, the colours outside its gamut
    // in kGamutAlarm. Only for a run with an output profile.
    Status markGamut(const PictureCache& pictures);
    bool marksGamut() const { return proof_ != nullptr; }

    // pitchError: the sheet's lenses are (1 + pitchError) x the print's wide.
    ViewSamples samples(ViewSize size, double phase, double pitchError) const;
    Result<ViewImage> render(ViewSize size, double phase, double pitchError);

  private:
    FlipSimulator(JobState job, const RunSettings& settings, ScreenColour screen);
    Status refill(ViewSize size, const LensSheet& sheet, std::span<const LensAxisPixel> needed);
    std::vector<int32_t> crossFrames(ViewSize size) const;

    // What the views read: the run's stores, or the pictures in sRGB while
    // the gamut is marked, and how their pixels reach the screen.
    struct Proof {
        PictureCache cache; // holds the sRGB stores while they are read
        JobState job;
    };
    const JobState& viewed() const { return proof_ ? proof_->job : job_; }

    JobState job_;
    ColourSettings colour_;
    ScreenColour screen_;
    std::shared_ptr<const Proof> proof_;
    PrintMapping mapping_;
    LineTable table_;
    ViewSize tableSize_; // the view size the table holds; empty for none
};

} // namespace tovrel
