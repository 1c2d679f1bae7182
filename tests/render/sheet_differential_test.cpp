// The sheet writer against the plain sheet rule over generated sheets: 2 to
// 4 pictures with anchors, both renderings (whole-pixel lenses and the
// printer's fractional grid), both directions, white gaps, bleed, gutters
// that grow to whole lenses, marks on and off. Every row read back through
// libtiff agrees byte for byte.

#include "colour/colour_plan.h"
#include "intake/picture_cache.h"
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

#include <map>

#include <cmath>
#include <lcms2.h>
#include <sstream>
#include <tiffio.h>

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
            press.cutOut = (dir.path() / "cut.svg").string();
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
            const std::vector<unsigned char> svg = readFile(press.cutOut);
            const std::string cut(svg.begin(), svg.end());
            EXPECT_NE(cut.find("viewBox=\"0 0 " + std::to_string(read.width) + " " +
                               std::to_string(read.height) + "\""),
                      std::string::npos)
                << what;
            std::size_t trims = 0;
            for (auto at = cut.find("<rect "); at != std::string::npos;
                 at = cut.find("<rect ", at + 1)) {
                ++trims;
            }
            EXPECT_EQ(trims, std::size_t(press.rows * press.columns)) << what;
            std::filesystem::remove(press.layoutOut);
            std::filesystem::remove(press.cutOut);
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

// Every scanline of a TIFF through libtiff, one at a time.
void eachRow(const std::filesystem::path& file,
             const std::function<void(uint32_t y, const uint8_t* row)>& take, uint32_t& width) {
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::vector<uint8_t> row(std::size_t(TIFFScanlineSize64(tif)));
    for (uint32_t y = 0; y < height; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
        take(y, row.data());
    }
    TIFFClose(tif);
}

// What a sheet pixel may be, in this order: paper, the two pictures (within a
// level of LittleCMS's own conversion), registration ink (every ink, black in
// RGB) and black ink alone.
enum class Seen { Paper, Red, Blue, Ink, Key, Other };
struct Inks {
    int px = 3;
    std::array<std::array<uint8_t, 4>, 5> of;
};

Seen seen(const uint8_t* p, const Inks& k) {
    for (std::size_t s = 0; s < k.of.size(); ++s) {
        const int within = s == 1 || s == 2 ? 1 : 0;
        if (std::equal(p, p + k.px, k.of[s].begin(),
                       [&](int a, int b) { return std::abs(a - b) <= within; })) {
            return Seen(s);
        }
    }
    return Seen::Other;
}

Inks inksOf(const OutputColour& out) {
    if (out.bytes() == 3) {
        return {3, {{{255, 255, 255}, {255, 0, 0}, {0, 0, 255}, {0, 0, 0}, {0, 0, 0}}}};
    }
    Inks k{4, {{out.white, {}, {}, {255, 255, 255, 255}, out.white}}};
    k.of[4][3] = 255;
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE press =
        cmsOpenProfileFromMem(out.profile.data(), cmsUInt32Number(out.profile.size()));
    cmsHTRANSFORM t =
        cmsCreateTransform(srgb, TYPE_RGB_8, press, TYPE_CMYK_8, INTENT_RELATIVE_COLORIMETRIC,
                           cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE);
    const uint8_t pictures[2][3] = {{255, 0, 0}, {0, 0, 255}};
    cmsDoTransform(t, pictures[0], k.of[1].data(), 1);
    cmsDoTransform(t, pictures[1], k.of[2].data(), 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(press);
    cmsCloseProfile(srgb);
    return k;
}

struct SheetColour {
    const char* name;
    std::string outputProfile; // empty: plain RGB
    uint16_t photometric;      // as libtiff reads the sheet
    uint16_t samples;
    Seen bar; // the alignment bars' ink
};

class SheetReadBack : public ::testing::TestWithParam<SheetColour> {};

// Two solid pictures on SRA3 at 720 ppi, business cards with bleed and
// marks, judged from the pixels alone: the one grid anchored at the sheet's
// centre, lenses of 7.2 pixels, bleed of 85 pixels. For a press profile the
// sheet is CMYK: crop marks in every ink, the alignment bars in black alone.
TEST_P(SheetReadBack, ColumnsCropMarksAndBarsFollowTheSheetGrid) {
    const SheetColour& colour = GetParam();
    const TempDir dir(scratchRoot());
    ColourSettings asked;
    asked.outputProfile = colour.outputProfile;
    const Result<ColourPlan> plan = colourPlanOf(asked);
    ASSERT_TRUE(plan) << plan.message();
    PictureCache cache(dir.path() / "cache");
    cache.setColour(plan.value());
    const Inks inks = inksOf(plan.value().output);
    const int px = inks.px;
    JobState job;
    TestPicture red{60, 40}, blue{60, 40};
    red.solid = Rgb{255, 0, 0};
    blue.solid = Rgb{0, 0, 255};
    choosePictures(job, dir.path(), {red, blue}, plan.value().converts() ? &cache : nullptr);
    job.Pitch = 0.254f;
    job.Sharp = 1;
    job.OutPath = (dir.path() / "sheet.tif").string();
    RunSettings settings{8.5, 5.5};
    settings.printerPpi = 720;
    settings.press.sheet = true;
    ASSERT_TRUE(readPaper("sra3", settings.press));
    settings.press.bleedMm = 3;
    settings.press.marks = true;
    settings.colour = plan.value().settings;
    settings.output = plan.value().output;
    RunRecord record;
    const RunResult done = runInterlace(job, settings, recordingHooks(record));
    ASSERT_EQ(done.outcome, RunOutcome::Done) << done.status.message();
    const TiffContents file = readTiff(job.OutPath, false);
    ASSERT_TRUE(file.opened && file.complaints.empty());
    EXPECT_EQ(file.photometric, colour.photometric);
    ASSERT_EQ(file.samplesPerPixel, colour.samples);
    EXPECT_EQ(file.inkSet, colour.samples == 4 ? 1 : 0);

    const double L = 7.2;
    const int64_t bleed = 85;
    // Pass 1: the bands of cards, rows holding card pixels.
    uint32_t W = 0;
    std::vector<std::pair<uint32_t, uint32_t>> bands; // [top, bottom)
    eachRow(
        job.OutPath,
        [&](uint32_t y, const uint8_t* row) {
            bool card = false;
            for (uint32_t x = 0; x < W && !card; x += 16) {
                const Seen s = seen(row + px * x, inks);
                card = s == Seen::Red || s == Seen::Blue;
            }
            if (card && (bands.empty() || bands.back().second != y)) {
                bands.push_back({y, y + 1});
            } else if (card) {
                bands.back().second = y + 1;
            }
        },
        W);
    ASSERT_GE(bands.size(), 2u);
    const uint32_t barRow = bands.front().first - uint32_t(std::lround(11 / 25.4 * 720));
    std::map<uint32_t, std::vector<uint8_t>> rows;
    for (const auto& [top, bottom] : bands) {
        rows[(top + bottom) / 2];
        rows[top + bleed];
        rows[bottom - bleed];
    }
    rows[bands.front().first - bleed];
    rows[bands.back().second + bleed];
    rows[barRow];
    eachRow(
        job.OutPath,
        [&](uint32_t y, const uint8_t* row) {
            if (rows.contains(y)) {
                rows[y].assign(row, row + std::size_t(px) * W);
            }
        },
        W);
    auto at = [&](uint32_t y, int64_t x) { return seen(rows[y].data() + px * x, inks); };

    // Along the middle row of every band: cards (runs of card pixels), each
    // column the picture of its phase in the sheet's grid, paper between.
    std::vector<std::pair<int64_t, int64_t>> cards; // bleed [x0, x1) of the first band
    for (const auto& [top, bottom] : bands) {
        const uint32_t y = (top + bottom) / 2;
        int checked = 0, runs = 0;
        for (int64_t x = 0; x < W; ++x) {
            const Seen s = at(y, x);
            ASSERT_TRUE(s == Seen::Paper || s == Seen::Red || s == Seen::Blue) << x << ", " << y;
            if (s == Seen::Paper) {
                continue;
            }
            if (x == 0 || at(y, x - 1) == Seen::Paper) {
                ++runs;
                if (top == bands.front().first) {
                    cards.push_back({x, x});
                }
            }
            if (top == bands.front().first) {
                cards.back().second = x + 1;
            }
            double phase = std::fmod(x + 0.5 - W / 2.0, L);
            phase += phase < 0 ? L : 0;
            if (phase < 0.5 || std::abs(phase - L / 2) < 0.5 || phase > L - 0.5) {
                continue; // a boundary pixel
            }
            ASSERT_EQ(s, phase < L / 2 ? Seen::Red : Seen::Blue) << "column " << x << ", row " << y;
            ++checked;
        }
        EXPECT_GE(runs, 2);
        EXPECT_GT(checked, int(W) / 2);
    }
    // Crop marks on every trim line of the outer cards, beyond the bleed.
    for (const auto& [x0, x1] : cards) {
        for (const int64_t trim : {x0 + bleed, x1 - bleed}) {
            EXPECT_EQ(at(bands.front().first - bleed, trim), Seen::Ink) << trim;
            EXPECT_EQ(at(bands.back().second + bleed, trim), Seen::Ink) << trim;
            EXPECT_EQ(at(bands.front().first - bleed, trim + 5), Seen::Paper) << trim;
        }
    }
    for (const auto& [top, bottom] : bands) {
        for (const uint32_t trim : {top + bleed, bottom - bleed}) {
            EXPECT_EQ(at(trim, cards.front().first - bleed), Seen::Ink) << trim;
            EXPECT_EQ(at(trim, cards.back().second + bleed), Seen::Ink) << trim;
        }
    }
    // The alignment bar above the cards: its period is the lens width, over
    // at least half the sheet.
    std::vector<int64_t> rising;
    for (int64_t x = 1; x < W; ++x) {
        if (at(barRow, x) == colour.bar && at(barRow, x - 1) == Seen::Paper) {
            rising.push_back(x);
        }
    }
    ASSERT_GE(rising.size(), 100u);
    EXPECT_NEAR(double(rising.back() - rising.front()) / double(rising.size() - 1), L, 0.01);
    EXPECT_GE(rising.back() - rising.front() + L, W / 2.0 - L);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, SheetReadBack,
    ::testing::Values(SheetColour{"Rgb", "", 2, 3, Seen::Ink},
                      SheetColour{"CmykPress", "/usr/share/color/icc/ghostscript/default_cmyk.icc",
                                  5, 4, Seen::Key}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
