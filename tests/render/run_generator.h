#pragma once
// What the differential tests of the renderings share: a seeded source of
// random choices, random pictures with anchors, a folder for hundreds of
// synced runs, and one run of the engine beside one of a plain rendering.

#include "tests/render/engine_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <random>
#include <utility>

namespace tovrel::test {

struct RunGenerator {
    std::mt19937 random;

    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    template <typename T> T pick(std::initializer_list<T> values) {
        return *(values.begin() + below(static_cast<int>(values.size())));
    }

    // A picture 3 to maxSide pixels a side, its anchor at the origin or anywhere.
    TestPicture picture(int maxSide);
    // Whether white gaps are drawn, how wide (width(offered), offered >= 1, for
    // the widths the window lists) and the direction.
    void whiteAndDirection(RunSettings& settings, const JobState& job,
                           const std::function<int(int offered)>& width);
};

// In memory when the system offers a folder there.
std::filesystem::path scratchRoot();

using PlainRendering = std::function<RunResult(JobState&, const RunSettings&, const RunHooks&)>;

// Runs the engine on `job` into engine.tif and `plain` on a copy of it into
// a fresh plain.tif, both in `dir`; each must finish.
struct RunPair {
    JobState plain;
    RunRecord engineRecord, plainRecord;
};
::testing::AssertionResult runBoth(JobState& job, const RunSettings& settings,
                                   const std::filesystem::path& dir, const PlainRendering& plain,
                                   RunPair& out);

// Every kind of run the generator is meant to reach came at least `least` times.
void expectEachKind(std::initializer_list<std::pair<const char*, int>> kinds, int least);

} // namespace tovrel::test
