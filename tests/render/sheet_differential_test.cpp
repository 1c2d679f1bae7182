// The sheet writer against the plain sheet rule over generated sheets: 2 to
// 4 pictures with anchors, both renderings (whole-pixel lenses and the
// printer's fractional grid), both directions, white gaps, bleed, gutters
// that grow to whole lenses, marks on and off. Every row read back through
// libtiff agrees byte for byte.

#include "render/interlace_engine.h"
#include "render/printer_grid.h"
#include "render/run_checks.h"
#include "sheet/sheet_run.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_sheet.h"
#include "tests/render/run_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovrel::test {
namespace {

std::string describe(const JobState& job, const RunSettings& s) {
    std::ostringstream out;
    out << int(job.ViewCount) << " pictures, Pitch " << job.Pitch << ", Sharp " << job.Sharp
        << ", R " << s.printerPpi << (s.horizontal ? ", horizontal" : ", vertical")
        << (s.whiteGaps ? ", white " + std::to_string(s.whiteWidth) : "") << ", card " << s.widthCm
        << "x" << s.heightCm << " cm, bleed " << s.press.bleedMm << ", gutter " << s.press.gutterMm
        << ", " << s.press.rows << "x" << s.press.columns << " on " << s.press.paperWidthMm << "x"
        << s.press.paperHeightMm << " mm" << (s.press.marks ? ", marks" : "");
    return out.str();
}

TEST(SheetDifferential, MatchesThePlainSheetRuleByteForByte) {
    RunGenerator gen{std::mt19937{20261224}};
    const TempDir dir(scratchRoot());
    int printer = 0, horizontal = 0, marks = 0, grownGutter = 0;
    for (int run = 0; run < 48; ++run) {
        JobState job;
        std::vector<TestPicture> pictures(std::size_t(gen.between(2, 4)));
        for (TestPicture& p : pictures) {
            p = gen.picture(20);
        }
        choosePictures(job, dir.path(), pictures);
        RunSettings settings;
        job.Pitch = gen.pick({0.8f, 1.0f, 1.27f, 1.5f, 2.0f});
        job.Sharp = static_cast<float>(gen.between(1, 2));
        if (gen.below(2) == 0) {
            settings.printerPpi = gen.pick({72, 100, 127, 150});
            settings.printerPpi = std::max<int32_t>(
                settings.printerPpi, int32_t(smallestPrinterPpi(job.ViewCount, job.Pitch)));
        }
        gen.whiteAndDirection(settings, job, [&](int offered) { return gen.between(0, offered); });
        settings.widthCm = gen.between(6, 15) / 10.0;
        settings.heightCm = gen.between(6, 15) / 10.0;
        SheetSettings& press = settings.press;
        press.sheet = true;
        press.bleedMm = gen.pick({0.0, 1.0, 2.5, 3.0});
        press.gutterMm = gen.pick({0.0, 1.5, 4.0, 6.0});
        press.marks = gen.below(2) == 0;
        press.rows = gen.between(1, 3);
        press.columns = gen.between(1, 3);
        press.slugDate = "2026-01-01";
        const double lensMm = job.Pitch * (settings.printerPpi ? 1 : 1.0);
        const double room = (press.marks ? 2 * 18 : 0) + gen.between(0, 12);
        press.paperWidthMm = press.columns * (settings.widthCm * 10 + 2 * press.bleedMm +
                                              press.gutterMm + 2 * lensMm) +
                             room;
        press.paperHeightMm = press.rows * (settings.heightCm * 10 + 2 * press.bleedMm +
                                            press.gutterMm + 2 * lensMm) +
                              room;
        job.OutPath = (dir.path() / "engine.tif").string();
        if (gen.below(3) == 0) {
            press.layoutOut = (dir.path() / "layout.json").string();
        }
        const std::string what = "run " + std::to_string(run) + ": " + describe(job, settings);

        JobState probe = job;
        ASSERT_TRUE(planRun(probe, settings)) << what;
        Result<SheetRun> plan = planSheet(probe, settings);
        ASSERT_TRUE(plan) << what << ": " << plan.message();
        const SheetRun& sheet = plan.value();
        RunRecord record;
        const RunResult done = runInterlace(job, settings, recordingHooks(record));
        ASSERT_EQ(done.outcome, RunOutcome::Done) << what << ": " << done.status.message();
        const auto expected =
            oracleSheet(secondRun(job, dir.path() / "plain.tif"), settings, dir.path(),
                        [&](int64_t x, int64_t y) { return sheet.marks.slugInk(x, y); });
        const TiffContents read = readTiff(job.OutPath, true);
        ASSERT_TRUE(read.opened && read.complaints.empty()) << what;
        ASSERT_EQ(read.rows.size(), expected.size()) << what;
        for (std::size_t y = 0; y < expected.size(); ++y) {
            const auto& got = read.rows[y];
            const auto at = std::mismatch(got.begin(), got.end(), expected[y].begin());
            ASSERT_TRUE(at.first == got.end())
                << what << ": pixel (" << (at.first - got.begin()) / 3 << ", " << y << ") is "
                << int(*at.first) << ", the rule says " << int(*at.second);
        }
        if (!press.layoutOut.empty()) {
            const std::vector<unsigned char> json = readFile(press.layoutOut);
            const std::string text(json.begin(), json.end());
            EXPECT_NE(text.find("\"sheet_px\":[" + std::to_string(read.width) + "," +
                                std::to_string(read.height) + "]"),
                      std::string::npos)
                << what;
            std::filesystem::remove(press.layoutOut);
        }
        const double cardAcross =
            settings.horizontal ? sheet.layout.cardHeight : sheet.layout.cardWidth;
        grownGutter += sheet.layout.pixels(press.gutterMm) + cardAcross !=
                       std::ceil(sheet.layout.pixels(press.gutterMm) + cardAcross);
        printer += settings.printerPpi != 0;
        horizontal += settings.horizontal;
        marks += press.marks;
    }
    expectEachKind({{"printer grid", printer},
                    {"horizontal", horizontal},
                    {"marks", marks},
                    {"gutter grown", grownGutter}},
                   10);
}

} // namespace
} // namespace tovrel::test
