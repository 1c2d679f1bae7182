#include "tests/render/run_generator.h"

#include "common/rounding.h"

#include <gtest/gtest.h>

namespace tovrel::test {

TestPicture RunGenerator::picture(int maxSide) {
    TestPicture p;
    p.width = between(3, maxSide);
    p.height = between(3, maxSide);
    p.anchorX = below(2) == 0 ? 0 : below(p.width);
    p.anchorY = below(2) == 0 ? 0 : below(p.height);
    return p;
}

void RunGenerator::whiteAndDirection(RunSettings& settings, const JobState& job,
                                     const std::function<int(int offered)>& width) {
    settings.whiteGaps = below(2) == 0;
    // The window's list offers 1 to round(Sharp - 1); no choice gives 0.
    const int offered = static_cast<int>(roundHalfEven(job.Sharp - 1.0));
    settings.whiteWidth = offered > 0 ? width(offered) : 0;
    settings.horizontal = below(2) == 0;
}

std::filesystem::path scratchRoot() {
    const std::filesystem::path shm = "/dev/shm";
    return std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
}

::testing::AssertionResult runBoth(JobState& job, const RunSettings& settings,
                                   const std::filesystem::path& dir, const PlainRendering& plain,
                                   RunPair& out) {
    job.OutPath = (dir / "engine.tif").string();
    // The plain rendering writes over an existing file in place; it starts
    // from a new file, as the engine always does.
    out.plain = secondRun(job, dir / "plain.tif");
    out.engineRecord = {};
    out.plainRecord = {};
    const RunResult engine = runInterlace(job, settings, recordingHooks(out.engineRecord));
    if (engine.outcome != RunOutcome::Done) {
        return ::testing::AssertionFailure() << "the engine: " << engine.status.message();
    }
    const RunResult other = plain(out.plain, settings, recordingHooks(out.plainRecord));
    if (other.outcome != RunOutcome::Done) {
        return ::testing::AssertionFailure() << "the plain rendering: " << other.status.message();
    }
    return ::testing::AssertionSuccess();
}

void expectEachKind(std::initializer_list<std::pair<const char*, int>> kinds, int least) {
    for (const auto& [kind, runs] : kinds) {
        EXPECT_GE(runs, least) << kind;
    }
}

} // namespace tovrel::test
