// The engine against the row-by-row rendering over generated runs: 2 to 4
// pictures of different sizes and layouts with anchors, whole and typed
// sharpness, every white width the window offers, both directions, scales
// below and above 1, sizes that cut lenses off. Whole files must agree byte
// for byte.

#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_engine.h"
#include "tests/render/run_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    int views[5] = {};
};

std::string describe(const JobState& job, const RunSettings& s) {
    std::ostringstream out;
    out << int(job.ViewCount) << " pictures, frame " << job.BaseW << "x" << job.BaseH << ", Sharp "
        << job.Sharp << ", Pitch " << job.Pitch << ", " << job.tifW << "x" << job.tifH << ", Scale "
        << job.Scale << (s.horizontal ? ", horizontal" : ", vertical")
        << (s.whiteGaps ? ", white " + std::to_string(s.whiteWidth) : "");
    return out.str();
}

TEST(EngineDifferential, MatchesTheRowByRowRenderingByteForByte) {
    RunGenerator gen{std::mt19937{20240611}};
    Coverage seen;
    const TempDir dir(scratchRoot());
    for (int run = 0; run < kRuns; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(gen.between(2, 4)));
        for (TestPicture& p : pictures) {
            p = picture(gen);
        }
        choosePictures(job, dir.path(), pictures);
        job.Pitch = gen.pick({0.254f, 0.508f, 0.3f, 1.0f, 0.127f, 2.0f});
        job.Sharp = gen.below(2) == 0 ? static_cast<float>(gen.between(1, 20))
                                      : gen.pick({0.6f, 1.4f, 1.5f, 2.5f, 2.6f, 3.5f, 4.5f});
        RunSettings settings;
        // Output about `grow` times the frame, each side a little off it.
        const double grow = gen.below(2) == 0 ? gen.between(25, 95) / 100.0 : gen.between(1, 5);
        auto side = [&](int32_t frame) {
            const double pixels = frame * grow * gen.between(70, 130) / 100.0;
            return sizeFor(job, std::clamp(static_cast<int32_t>(pixels), 1, 160));
        };
        settings.widthCm = side(job.BaseW);
        settings.heightCm = side(job.BaseH);
        gen.whiteAndDirection(settings, job, [&](int offered) {
            return gen.pick({0, offered, gen.between(1, offered)});
        });

        RunPair both;
        ASSERT_TRUE(runBoth(job, settings, dir.path(), oracleInterlace, both));
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
        seen.typedSharp += job.Sharp != static_cast<float>(job.SharpB);
        seen.cutLens += (settings.horizontal ? job.tifH : job.tifW) % lens != 0;
        seen.shrinking += job.Scale < 1;
        seen.growing += job.Scale > 1;
        ++seen.views[job.ViewCount];
    }
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

} // namespace
} // namespace tovrel::test
