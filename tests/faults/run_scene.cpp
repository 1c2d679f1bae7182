#include "tests/faults/run_scene.h"

#include "output/temp_output.h"
#include "tests/render/engine_fixture.h"

namespace tovrel::test {

namespace fs = std::filesystem;

void setUpRun(JobState& job, RunSettings& settings, const fs::path& folder,
              const std::vector<TestPicture>& pictures, int32_t width, int32_t height) {
    choosePictures(job, folder, pictures);
    job.Pitch = 1;
    job.Sharp = 2;
    job.OutPath = (folder / "out.tif").string();
    settings = {sizeFor(job, width), sizeFor(job, height)};
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::set<std::string> runTemporariesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const std::string& name : namesIn(folder)) {
        if (isRunTemporaryName(name)) {
            names.insert(name);
        }
    }
    return names;
}

std::string runAndSay(JobState& job, const RunSettings& settings) {
    RunHooks hooks;
    hooks.makeTif = writeTestHeader;
    const RunResult result = runInterlace(job, settings, hooks);
    switch (result.outcome) {
    case RunOutcome::Done:
        return "done";
    case RunOutcome::HeaderNotWritten:
        return "no header";
    case RunOutcome::Refused:
        return "refused: " + result.status.message();
    case RunOutcome::Failed:
        break;
    }
    return "failed: " + result.status.message();
}

} // namespace tovrel::test
