// The engine against the row-by-row rendering over generated runs: 2 to 4
// pictures (and cards of 5 to 64 frames) of different sizes and layouts with anchors, whole sharpness (a
// typed fraction is refused), every white width the window offers, both directions, scales
// below and above 1, sizes that cut lenses off. Whole files must agree byte
// for byte.

#include "common/rounding.h"
#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_engine.h"
#include "tests/render/oracle_printer_engine.h"
#include "tests/render/run_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

namespace tovrel::test {
namespace {

constexpr int kRuns = 300;

// A picture of a generated run: most are hand-built, with their data at
// different offsets and their last row cut or followed by junk.
TestPicture picture(RunGenerator& gen) {
    TestPicture p = gen.picture(34);
    p.handBuilt = gen.below(4) != 0;
    if (p.handBuilt) {
        p.dataOffset = gen.pick({54, 54 + gen.between(1, 9), 138});
        const int pad = (4 - p.width * 3 % 4) % 4;
        p.tailBytes = gen.pick({0, -pad, gen.between(1, 6)});
    }
    return p;
}

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
void compareRuns(RunGenerator& gen, int minViews, int maxViews, int runs, Coverage& seen) {
    const TempDir dir(scratchRoot());
    for (int run = 0; run < runs; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(gen.between(minViews, maxViews)));
        for (TestPicture& p : pictures) {
            p = picture(gen);
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
        // The engine also takes a white strip as wide as the strip itself.
        gen.whiteAndDirection(settings, job, [&](int offered) {
            return gen.pick({0, offered, gen.between(1, offered), offered + 1});
        });
        if (job.Sharp != std::floor(job.Sharp)) {
            // Strips of a fraction of a pixel cannot match the lenses.
            job.OutPath = (dir.path() / "engine.tif").string();
            RunRecord record;
            const RunResult engine = runInterlace(job, settings, recordingHooks(record));
            EXPECT_EQ(engine.outcome, RunOutcome::Refused) << "run " << run;
            EXPECT_EQ(record.headers, 0) << "run " << run;
            ++seen.typedSharp;
            continue;
        }

        RunPair both;
        ASSERT_TRUE(runBoth(job, settings, dir.path(),
                            [](JobState& j, const RunSettings& s, const RunHooks& h) {
                                return oracleInterlace(j, s, h);
                            },
                            both));
        const JobState& plain = both.plain;
        const RunRecord& engineRecord = both.engineRecord;
        const RunRecord& plainRecord = both.plainRecord;
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
        seen.cutLens += (settings.horizontal ? job.tifH : job.tifW) % lens != 0;
        seen.shrinking += job.Scale < 1;
        seen.growing += job.Scale > 1;
        ++seen.views[job.ViewCount];
    }
}

TEST(EngineDifferential, MatchesTheRowByRowRenderingByteForByte) {
    RunGenerator gen{std::mt19937{20240611}};
    Coverage seen;
    compareRuns(gen, 2, 4, kRuns, seen);
    // The generator reached every kind of run it is meant to.
    expectEachKind({{"horizontal", seen.horizontal},
                    {"white gaps", seen.whiteGaps},
                    {"all-white strips", seen.fullWhite},
                    {"typed sharpness", seen.typedSharp},
                    {"cut-off lens", seen.cutLens},
                    {"Scale below 1", seen.shrinking},
                    {"Scale above 1", seen.growing},
                    {"2 pictures", seen.views[2]},
                    {"3 pictures", seen.views[3]},
                    {"4 pictures", seen.views[4]}},
                   5);
}

TEST(EngineDifferential, ManyFramesMatchTheRowByRowRenderingByteForByte) {
    RunGenerator gen{std::mt19937{20261207}};
    Coverage seen;
    compareRuns(gen, 5, kMaxFrames, 100, seen);
    EXPECT_GE(seen.horizontal, 20);
    EXPECT_GE(seen.whiteGaps, 6);
    EXPECT_GE(seen.cutLens, 20);
    // Frames past a byte's worth of strips: from 52 frames on only a strip of 1 to 4 pixels fits.
    EXPECT_GE(std::accumulate(seen.views + 52, seen.views + kMaxFrames + 1, 0), 5);
}

// The card has no black edge: over generated runs of both renderings and
// both directions, no output pixel is black (the test pictures have none),
// and every pixel the first design wrote from a picture is unchanged; only
// what it left black (or repeated black) now shows the frame's edge pixels.
TEST(EngineDifferential, NoBlackEdgeAndEveryPictureByteOfTheFirstDesignKept) {
    RunGenerator gen{std::mt19937{20240611}};
    int seen[2][2] = {}; // [printer][horizontal]
    int changed = 0;     // runs in which the first design left black
    const TempDir dir(scratchRoot());
    for (int run = 0; run < kRuns / 2; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(gen.between(2, 4)));
        for (TestPicture& p : pictures) {
            p = picture(gen);
        }
        choosePictures(job, dir.path(), pictures);
        job.Pitch = gen.pick({0.254f, 0.508f, 1.0f, 2.0f});
        job.Sharp = static_cast<float>(gen.between(1, 6));
        RunSettings settings;
        const bool printer = gen.below(2) == 0;
        settings.printerPpi = printer ? gen.pick({720, 1200, 2400}) : 0;
        const double grow = gen.below(2) == 0 ? gen.between(30, 95) / 100.0 : gen.between(1, 5);
        auto side = [&](int32_t frame) {
            const auto pixels = std::clamp(static_cast<int32_t>(frame * grow), 1, 150);
            return printer ? pixels * 2.54 / settings.printerPpi : sizeFor(job, pixels);
        };
        settings.widthCm = side(job.BaseW);
        settings.heightCm = side(job.BaseH);
        settings.whiteGaps = gen.below(2) == 0;
        settings.whiteWidth = settings.whiteGaps ? gen.between(0, int(job.Sharp) - 1) : 0;
        settings.horizontal = gen.below(2) == 0;

        job.OutPath = (dir.path() / "engine.tif").string();
        JobState first = secondRun(job, dir.path() / "first.tif");
        RunRecord engineRecord, firstRecord;
        const RunResult engine = runInterlace(job, settings, recordingHooks(engineRecord));
        ASSERT_EQ(engine.outcome, RunOutcome::Done) << engine.status.message();
        const RunHooks firstHooks = recordingHooks(firstRecord);
        ASSERT_EQ((printer
                       ? oraclePrinterInterlace(first, settings, firstHooks, EdgeRule::BlackEdges)
                       : oracleInterlace(first, settings, firstHooks, EdgeRule::BlackEdges))
                      .outcome,
                  RunOutcome::Done);
        const std::string what = "run " + std::to_string(run) + ": " + describe(job, settings);
        const std::vector<unsigned char> now = readFile(job.OutPath);
        const std::vector<unsigned char> before = readFile(first.OutPath);
        ASSERT_EQ(now.size(), before.size()) << what;
        bool blackBefore = false;
        for (int32_t r = 1; r <= job.tifH; ++r) {
            for (int32_t j = 1; j <= job.tifW; ++j) {
                const Rgb pixel = outputPixel(now, job, j, r);
                ASSERT_NE(pixel, kBlack) << what << ", column " << j << ", row " << r;
                const Rgb old = outputPixel(before, job, j, r);
                blackBefore |= old == kBlack;
                if (old != kBlack) {
                    ASSERT_EQ(pixel, old) << what << ", column " << j << ", row " << r;
                }
            }
        }
        changed += blackBefore;
        ++seen[printer][settings.horizontal];
    }
    for (const int runs : {seen[0][0], seen[0][1], seen[1][0], seen[1][1]}) {
        EXPECT_GE(runs, 15);
    }
    EXPECT_GE(changed, kRuns / 4);
}

} // namespace
} // namespace tovrel::test
