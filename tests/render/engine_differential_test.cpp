// The engine against the row-by-row rendering over generated runs: 2 to 4
// pictures (and cards of 5 to 64 frames) of different sizes and layouts with anchors, whole and
// typed sharpness, every white width the window offers, both directions, scales below and above 1,
// sizes that cut lenses off. Whole files must agree byte for byte.

#include "common/rounding.h"
#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_engine.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>

namespace tovrel::test {
namespace {

constexpr int kRuns = 300;

struct Generator {
    std::mt19937 random{20240611};

    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    template <typename T> T pick(std::initializer_list<T> values) {
        return *(values.begin() + below(static_cast<int>(values.size())));
    }

    TestPicture picture() {
        TestPicture p;
        p.width = between(3, 34);
        p.height = between(3, 34);
        p.anchorX = below(2) == 0 ? 0 : below(p.width);
        p.anchorY = below(2) == 0 ? 0 : below(p.height);
        p.handBuilt = below(4) != 0;
        if (p.handBuilt) {
            p.dataOffset = pick({54, 54 + between(1, 9), 138});
            const int pad = (4 - p.width * 3 % 4) % 4;
            // A whole file, the last row without its pad bytes, or junk after it.
            p.tailBytes = pick({0, -pad, between(1, 6)});
        }
        return p;
    }
};

struct Coverage {
    int horizontal = 0, whiteGaps = 0, fullWhite = 0, typedSharp = 0, cutLens = 0;
    int shrinking = 0, growing = 0;
    int views[kMaxFrames + 1] = {};
};

std::string describe(const JobState& job, const RunSettings& s) {
    std::ostringstream out;
    out << int(job.ViewCount) << " pictures, frame " << job.BaseW << "x" << job.BaseH << ", Sharp "
        << job.Sharp << ", Pitch " << job.Pitch << ", " << job.tifW << "x" << job.tifH << ", Scale "
        << job.Scale << (s.horizontal ? ", horizontal" : ", vertical")
        << (s.whiteGaps ? ", white " + std::to_string(s.whiteWidth) : "");
    return out.str();
}

// Runs of minViews to maxViews pictures, each compared whole with the oracle's.
void compareRuns(Generator& gen, int minViews, int maxViews, int runs, Coverage& seen) {
    // Hundreds of synced runs: in memory when the system offers a folder there.
    const std::filesystem::path shm = "/dev/shm";
    const TempDir dir = std::filesystem::is_directory(shm) ? TempDir(shm) : TempDir();
    for (int run = 0; run < runs; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(gen.between(minViews, maxViews)));
        for (TestPicture& p : pictures) {
            p = gen.picture();
        }
        choosePictures(job, dir.path(), pictures);
        job.Pitch = gen.pick({0.254f, 0.508f, 0.3f, 1.0f, 0.127f, 2.0f});
        job.Sharp = gen.below(2) == 0 ? static_cast<float>(gen.between(1, 20))
                                      : gen.pick({0.6f, 1.4f, 1.5f, 2.5f, 2.6f, 3.5f, 4.5f});
        // A lens holds at most 255 pixels.
        if (job.ViewCount * roundHalfEven(job.Sharp) > 255) {
            job.Sharp = static_cast<float>(255 / job.ViewCount);
        }
        // And a TIFF's resolution stays below 32768 pixels per inch.
        if (job.ViewCount * job.Sharp * 25.4 / job.Pitch >= 32000) {
            job.Pitch = 1.0f;
        }
        RunSettings settings;
        // Output about `grow` times the frame, each side a little off it.
        const double grow = gen.below(2) == 0 ? gen.between(25, 95) / 100.0 : gen.between(1, 5);
        auto side = [&](int32_t frame) {
            const double pixels = frame * grow * gen.between(70, 130) / 100.0;
            return sizeFor(job, std::clamp(static_cast<int32_t>(pixels), 1, 160));
        };
        settings.widthCm = side(job.BaseW);
        settings.heightCm = side(job.BaseH);
        settings.whiteGaps = gen.below(2) == 0;
        // The window's list offers 1 to round(Sharp - 1); no choice gives 0.
        const int offered = static_cast<int>(roundHalfEven(job.Sharp - 1.0));
        settings.whiteWidth = offered > 0 ? gen.pick({0, offered, gen.between(1, offered)}) : 0;
        settings.horizontal = gen.below(2) == 0;

        job.OutPath = (dir / "engine.tif").string();
        JobState plain = job;
        plain.OutPath = (dir / "plain.tif").string();
        // The row-by-row run writes over an existing file in place; start it
        // from a new file, as the engine always does.
        std::filesystem::remove(plain.OutPath);
        RunRecord engineRecord, plainRecord;
        const RunResult engine = runInterlace(job, settings, recordingHooks(engineRecord));
        ASSERT_EQ(engine.outcome, RunOutcome::Done) << engine.status.message();
        ASSERT_EQ(oracleInterlace(plain, settings, recordingHooks(plainRecord)).outcome,
                  RunOutcome::Done);
        const std::string what = "run " + std::to_string(run) + ": " + describe(job, settings);

        const std::vector<unsigned char> output = readFile(job.OutPath);
        ASSERT_EQ(output, readFile(plain.OutPath)) << what;
        EXPECT_EQ(job.OutRow, plain.OutRow) << what;
        EXPECT_EQ(job.Scale, plain.Scale) << what;
        EXPECT_EQ(job.SharpB, plain.SharpB) << what;
        EXPECT_EQ(job.fbl, plain.fbl) << what;
        // The engine shows fewer progress values, each one the plain run shows,
        // rising to the same last value.
        EXPECT_TRUE(std::is_sorted(engineRecord.progress.begin(), engineRecord.progress.end()));
        EXPECT_TRUE(std::includes(plainRecord.progress.begin(), plainRecord.progress.end(),
                                  engineRecord.progress.begin(), engineRecord.progress.end()))
            << what;
        EXPECT_EQ(engineRecord.progress.empty(), plainRecord.progress.empty()) << what;
        if (!plainRecord.progress.empty() && !engineRecord.progress.empty()) {
            EXPECT_EQ(engineRecord.progress.back(), plainRecord.progress.back()) << what;
        }

        const TiffContents tiff = readTiff(job.OutPath, true);
        ASSERT_TRUE(tiff.opened && tiff.complaints.empty()) << what;
        ASSERT_EQ(tiff.rows.size(), std::size_t(job.tifH)) << what;
        for (std::size_t i = 0; i < tiff.rows.size(); ++i) {
            const auto at = output.begin() + 1448 + std::ptrdiff_t(i) * job.RowBytes;
            ASSERT_TRUE(std::equal(tiff.rows[i].begin(), tiff.rows[i].end(), at)) << what;
        }

        const int lens = job.ViewCount * job.SharpB;
        seen.horizontal += settings.horizontal;
        seen.whiteGaps += settings.whiteGaps && settings.whiteWidth > 0;
        seen.fullWhite += settings.whiteGaps && settings.whiteWidth == job.SharpB;
        seen.typedSharp += job.Sharp != static_cast<float>(job.SharpB);
        seen.cutLens += (settings.horizontal ? job.tifH : job.tifW) % lens != 0;
        seen.shrinking += job.Scale < 1;
        seen.growing += job.Scale > 1;
        ++seen.views[job.ViewCount];
    }
}

TEST(EngineDifferential, MatchesTheRowByRowRenderingByteForByte) {
    Generator gen;
    Coverage seen;
    compareRuns(gen, 2, 4, kRuns, seen);
    // The generator reached every kind of run it is meant to.
    const std::pair<const char*, int> kinds[] = {
        {"horizontal", seen.horizontal},      {"white gaps", seen.whiteGaps},
        {"all-white strips", seen.fullWhite}, {"typed sharpness", seen.typedSharp},
        {"cut-off lens", seen.cutLens},       {"Scale below 1", seen.shrinking},
        {"Scale above 1", seen.growing},      {"2 pictures", seen.views[2]},
        {"3 pictures", seen.views[3]},        {"4 pictures", seen.views[4]}};
    for (const auto& [kind, runs] : kinds) {
        EXPECT_GE(runs, 5) << kind;
    }
}

TEST(EngineDifferential, ManyFramesMatchTheRowByRowRenderingByteForByte) {
    Generator gen{std::mt19937{20261207}};
    Coverage seen;
    compareRuns(gen, 5, kMaxFrames, 100, seen);
    EXPECT_GE(seen.horizontal, 20);
    EXPECT_GE(seen.whiteGaps, 6);
    EXPECT_GE(seen.cutLens, 20);
    // Frames past a byte's worth of strips: from 52 frames on only a strip of 1 to 4 pixels fits.
    EXPECT_GE(std::accumulate(seen.views + 52, seen.views + kMaxFrames + 1, 0), 5);
}

} // namespace
} // namespace tovrel::test
