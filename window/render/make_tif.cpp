// The window's header step of a run: the output header, then the run's pitch
// recorded in the pitch list.

#include "app/main_window.h"

#include "render/run_header.h"

namespace tovrel {

bool mainS::MakeTif(const std::filesystem::path& file, TiffForm form) {
    job.TifOK = 0;
    PitchStore store(dataFolder());
    if (Status header = writeRunHeader(store, file, job.OutPath, job.tifW, job.tifH, job.fbl, form,
                                       job.OutColour);
        !header) {
        showMessage(QString::fromStdString(header.message()));
        return false;
    }
    job.TifOK = 1;
    // Each reload leaves the pitch box showing its label; its change handling
    // puts the start button back to its confirm state inside the run.
    loadXJ();
    if (Status recorded = recordRunPitch(store, job.Pitch); !recorded) {
        showMessage(QString::fromStdString(recorded.message()));
    }
    loadXJ();
    return true;
}

} // namespace tovrel
