// The pitch test chart: the coverage rule, the bands' pitches and labels, the
// checks of its fields, and whole charts read back through libtiff with every
// band's period measured.

#include "chart/chart_targets.h"
#include "chart/grating.h"
#include "chart/paper.h"
#include "chart/pitch_chart.h"
#include "chart/pitch_chart_file.h"
#include "chart/pitch_chart_rows.h"
#include "common/leading_number.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

struct GratingRow {
    double period;
    double origin;
    int64_t first;
    std::vector<int> greys;
};

// Worked by hand. Period 2.5 from 0: black [0, 1.25), white [1.25, 2.5), so
// pixel 1 has 0.25 black (191.25 -> 191), pixel 2 has 0.5 black (127.5 -> 128,
// the even neighbour), pixel 3 has 0.75 black (63.75 -> 64).
const GratingRow kGratings[] = {
    {2.5, 0, 0, {0, 191, 128, 64, 255, 0, 191, 128, 64, 255}},
    {2.5, 1.25, 0, {255, 64, 128, 191, 0, 255, 64, 128, 191, 0}},
    {2.5, 0, -3, {128, 64, 255, 0, 191}},
    {2, 0.5, 0, {128, 128, 128, 128}},
    {4, 0, 0, {0, 0, 255, 255, 0}},
};

TEST(Grating, AreaCoverageOfFractionalPeriods) {
    for (const GratingRow& row : kGratings) {
        const Grating grating(row.period, row.origin);
        std::vector<uint8_t> filled(row.greys.size());
        grating.fill(filled, row.first);
        for (std::size_t k = 0; k < row.greys.size(); ++k) {
            EXPECT_EQ(filled[k], row.greys[k]) << "period " << row.period << " pixel " << k;
        }
    }
}

TEST(PitchChart, DefaultsAroundTheNominalPitch) {
    const PitchChartSettings s = defaultPitchChart(0.254);
    EXPECT_EQ(chartTexts(s).range, "0.00254");
    EXPECT_EQ(chartTexts(s).step, "0.000127");
    EXPECT_EQ(s.resolution, 720);
    EXPECT_EQ(chartBandCount(s), 41);
    const std::vector<double> pitches = chartPitches(s);
    ASSERT_EQ(pitches.size(), 41u);
    EXPECT_NEAR(pitches.front(), 0.25146, 1e-12);
    EXPECT_NEAR(pitches[20], 0.254, 1e-12);
    EXPECT_NEAR(pitches.back(), 0.25654, 1e-12);
    // The step has 6 decimals: so have the labels, each exactly a step apart.
    EXPECT_EQ(bandLabel(pitches[20], labelDecimals(s)), "0.254000 mm  100.00 LPI");
    EXPECT_EQ(bandLabel(pitches.front(), labelDecimals(s)), "0.251460 mm  101.01 LPI");
    PitchChartSettings fine = s;
    fine.step = 0.00005;
    EXPECT_EQ(bandLabel(0.10005, labelDecimals(fine)), "0.10005 mm  253.87 LPI");
}

struct BandRow {
    const char* name;
    double pitch, range, step;
    int bands;
    double first, last;
    const char* middle; // the nominal band's label
};

class ChartBands : public ::testing::TestWithParam<BandRow> {};

// pitch + i * step for every whole i with |i * step| <= range: the nominal
// pitch in the middle, nothing beyond the range, labels exactly a step apart.
TEST_P(ChartBands, WholeStepsEitherSideOfTheNominalPitch) {
    const BandRow& row = GetParam();
    PitchChartSettings s = defaultPitchChart(row.pitch);
    s.range = row.range;
    s.step = row.step;
    ASSERT_TRUE(checkPitchChart(s)) << checkPitchChart(s).message();
    const std::vector<double> pitches = chartPitches(s);
    ASSERT_EQ(pitches.size(), std::size_t(row.bands));
    ASSERT_EQ(chartBandCount(s), row.bands);
    EXPECT_EQ(pitches.front(), row.first);
    EXPECT_EQ(pitches.back(), row.last);
    EXPECT_EQ(pitches[pitches.size() / 2], row.pitch);
    const int decimals = labelDecimals(s);
    EXPECT_EQ(bandLabel(row.pitch, decimals), row.middle);
    for (std::size_t i = 1; i < pitches.size(); ++i) {
        EXPECT_LE(std::fabs(pitches[i] - row.pitch), row.range + 1e-12);
        const double below = leadingNumber(bandLabel(pitches[i - 1], decimals));
        const double above = leadingNumber(bandLabel(pitches[i], decimals));
        EXPECT_NEAR(above - below, row.step, 1e-12) << bandLabel(pitches[i], decimals);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ChartBands,
                         ::testing::Values(BandRow{"StepNotDividingTheRange", 0.254, 0.01, 0.003, 7,
                                                   0.245, 0.263, "0.2540 mm  100.00 LPI"},
                                           BandRow{"StepBeyondTheRange", 0.254, 0.001, 0.05, 1,
                                                   0.254, 0.254, "0.2540 mm  100.00 LPI"},
                                           BandRow{"FineStep", 0.42, 0.00105, 0.00021, 11, 0.41895,
                                                   0.42105, "0.42000 mm  60.48 LPI"},
                                           BandRow{"TopBandExactlyThree", 2.575, 0.425, 0.025, 35,
                                                   2.15, 3, "2.5750 mm  9.86 LPI"},
                                           BandRow{"PitchWithMoreDecimals", 0.25455, 0.002, 0.001,
                                                   5, 0.25255, 0.25655, "0.25455 mm  99.78 LPI"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FieldRow {
    const char* name;
    PitchChartTexts texts;
    const char* says; // empty: accepted
};

PitchChartTexts fields(std::string pitch, std::string range, std::string step,
                       std::string resolution = "720", std::string width = "20",
                       std::string band = "8") {
    return {pitch, range, step, resolution, width, band, false};
}

class PitchChartFields : public ::testing::TestWithParam<FieldRow> {};

TEST_P(PitchChartFields, CheckedWithAClearMessage) {
    const Result<PitchChartSettings> read = readPitchChart(GetParam().texts);
    if (std::string(GetParam().says).empty()) {
        EXPECT_TRUE(read) << read.message();
    } else {
        ASSERT_FALSE(read);
        EXPECT_EQ(read.message(), GetParam().says);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PitchChartFields,
    ::testing::Values(
        FieldRow{"Defaults", fields("0.254", "0.00254", "0.000127"), ""},
        FieldRow{"OneBand", fields("3", "0", "0.1"), ""},
        FieldRow{"TwoHundredOneBands", fields("1", "0.1", "0.001"), ""},
        FieldRow{"StepZero", fields("0.254", "0.01", "0"), "步长必须大于 0 毫米。"},
        FieldRow{"StepNegative", fields("0.254", "0.01", "-0.001"), "步长必须大于 0 毫米。"},
        FieldRow{"StepTooFine", fields("0.254", "0", "0.0000001"),
                 "步长至少为 0.000001 毫米：更小的步长在标签上分不出来。"},
        FieldRow{"RangeNegative", fields("0.254", "-0.01", "0.001"),
                 "范围不能小于 0 毫米，也不能超过 3 毫米。"},
        FieldRow{"TwoHundredThreeBands", fields("1", "0.101", "0.001"),
                 "这样会有 203 条测试条，最多 201 条：请增大步长或减小范围。"},
        FieldRow{"PitchZero", fields("0", "0", "0.001"), "栅距必须大于 0 且不超过 3 毫米。"},
        FieldRow{"PitchAboveThree", fields("3.01", "0", "0.001"),
                 "栅距必须大于 0 且不超过 3 毫米。"},
        FieldRow{"LowestBandAtZero", fields("0.1", "0.1", "0.01"),
                 "最小的栅距 0 毫米不大于 0：请减小范围。"},
        FieldRow{"HighestBandAboveThree", fields("2.99", "0.02", "0.01"),
                 "最大的栅距 3.01 毫米超过 3 毫米：请减小范围或步长。"},
        FieldRow{"ResolutionBelow72", fields("0.254", "0", "0.001", "71.9"),
                 "分辨率必须在 72 到 4800 像素/英寸之间。"},
        FieldRow{"ResolutionAbove4800", fields("0.254", "0", "0.001", "4801"),
                 "分辨率必须在 72 到 4800 像素/英寸之间。"},
        FieldRow{"WidthTooSmall", fields("0.254", "0", "0.001", "720", "14"),
                 "宽度必须在 15 到 300 厘米之间。"},
        FieldRow{"BandTooLow", fields("0.254", "0", "0.001", "720", "20", "5.9"),
                 "条高必须在 6 到 100 毫米之间。"},
        FieldRow{"NotANumber", fields("0.254", "1%", "0.001"), "范围“1%”不是数字。"},
        FieldRow{"TopBandExactlyThree", fields("2.575", "0.425", "0.025"), ""},
        FieldRow{"DecimalCommas", fields("0,254", "0,00254", "0,000127", "720", "18,5"), ""},
        FieldRow{"StepBeyondTheDoubles", fields("0.254", "0.01", "1e999"),
                 "步长“1e999”超出了数的范围。"},
        FieldRow{"WidthBeyondTheDoubles", fields("0.254", "0", "0.001", "720", "-1e400"),
                 "宽度“-1e400”超出了数的范围。"},
        FieldRow{"Empty", fields("0.254", "0", ""), "请填写步长。"}),
    [](const auto& info) { return std::string(info.param.name); });

// A chart written into a fresh folder, with the shipped data file's header.
class ChartFile : public ::testing::Test {
  public:
    void SetUp() override { writeFile(dir / "kvxj.dll", readFile(shippedDataFile())); }

    Status write(const PitchChartSettings& s, ChartHooks hooks = {}) {
        return writePitchChart(s, dir.path(), out.string(), hooks);
    }

    // Only the data file is left in the folder.
    bool nothingWritten() const {
        return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()) == 1;
    }

    TempDir dir;
    fs::path out = dir / "chart.tif";
};

// Rows of a TIFF file, read through libtiff one at a time.
class TiffRows {
  public:
    explicit TiffRows(const fs::path& file) : tiff_(TIFFOpen(file.c_str(), "r")) {}
    ~TiffRows() {
        if (tiff_ != nullptr) {
            TIFFClose(tiff_);
        }
    }
    std::vector<uint8_t> grey(uint32_t y, uint32_t width) {
        std::vector<uint8_t> rgb(3 * std::size_t(width));
        EXPECT_EQ(TIFFReadScanline(tiff_, rgb.data(), y, 0), 1) << "row " << y;
        std::vector<uint8_t> grey(width);
        for (std::size_t x = 0; x < width; ++x) {
            grey[x] = rgb[3 * x];
        }
        return grey;
    }

  private:
    TIFF* tiff_;
};

// The period at which the samples' spectrum peaks, searched within 3 % of
// expected: a coarse scan, then a fine one around its best.
double dominantPeriod(const std::vector<uint8_t>& samples, double expected) {
    double mean = 0;
    for (const uint8_t v : samples) {
        mean += v;
    }
    mean /= static_cast<double>(samples.size());
    const auto power = [&](double period) {
        const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi / period);
        std::complex<double> phase = 1;
        std::complex<double> sum = 0;
        for (const uint8_t v : samples) {
            sum += (v - mean) * phase;
            phase *= turn;
        }
        return std::norm(sum);
    };
    double best = expected;
    for (double span = 0.03, step = 0.0005; step >= 0.000005; span = step * 2, step /= 10) {
        const double centre = best;
        for (double f = -span; f <= span; f += step) {
            const double period = centre * (1 + f);
            if (power(period) > power(best)) {
                best = period;
            }
        }
    }
    return best;
}

class ChartPeriods : public ChartFile, public ::testing::WithParamInterface<bool> {};

// 41 bands around 0.254 mm at 720 ppi: every band's lines have the period
// 720 * p / 25.4 pixels, measured across the band away from its label.
TEST_P(ChartPeriods, EveryBandHasItsPitchsPeriod) {
    PitchChartSettings s = defaultPitchChart(0.254);
    s.widthCm = 15;
    s.bandMm = 6;
    s.horizontal = GetParam();
    ASSERT_TRUE(write(s));
    const Result<ChartRows> rows = ChartRows::make(s, chartFontFile());
    ASSERT_TRUE(rows);
    const ChartLayout& l = rows.value().layout();
    const auto width = static_cast<uint32_t>(l.width);
    const TiffContents info = readTiff(out, false);
    EXPECT_TRUE(info.opened && info.complaints.empty());
    EXPECT_EQ(info.width, width);
    EXPECT_EQ(info.height, static_cast<uint32_t>(l.height));
    EXPECT_EQ(info.xResolution, 720);
    TiffRows tiff(out);
    const std::vector<double> pitches = chartPitches(s);
    ASSERT_EQ(l.bands, 41);
    // Horizontal lines: the column through every band's middle, row by row.
    std::vector<std::vector<uint8_t>> columns(s.horizontal ? pitches.size() : 0);
    for (uint32_t y = static_cast<uint32_t>(l.title + l.margin); s.horizontal && y < l.height;
         ++y) {
        const std::vector<uint8_t> row = tiff.grey(y, width);
        for (int j = 0; j < l.bands; ++j) {
            columns[std::size_t(j)].push_back(row[std::size_t(l.bandStart(j, true) + l.band / 2)]);
        }
    }
    for (int j = 0; j < l.bands; ++j) {
        const double expected = 720 * pitches[std::size_t(j)] / 25.4;
        std::vector<uint8_t> samples;
        if (s.horizontal) {
            samples = columns[std::size_t(j)];
        } else {
            const auto y = static_cast<uint32_t>(l.bandStart(j, false) + l.band / 2);
            const std::vector<uint8_t> row = tiff.grey(y, width);
            samples.assign(row.begin() + l.margin, row.end());
        }
        EXPECT_NEAR(dominantPeriod(samples, expected) / expected, 1, 0.001) << "band " << j;
    }
    // The corner targets, found where the reader looks for them: a black
    // ring around a black centre, the bottom-left one hollow.
    for (const ChartTarget& t : chartTargets(l, s.resolution, s.horizontal)) {
        const auto middle = static_cast<uint32_t>(t.y + t.size() / 2);
        const std::vector<uint8_t> row = tiff.grey(middle, width);
        const auto x = static_cast<std::size_t>(t.x + t.size() / 2);
        const auto m = static_cast<std::size_t>(t.module);
        EXPECT_EQ(row[x], t.hollow ? 255 : 0);
        EXPECT_EQ(row[x + 2 * m], 255);
        EXPECT_EQ(row[x - 3 * m], 0);
        EXPECT_EQ(row[x + 4 * m], 255);
    }
    // A line starts at the centre line: black after it, white before it.
    if (!s.horizontal) {
        const std::vector<uint8_t> row =
            tiff.grey(static_cast<uint32_t>(l.bandStart(0, false) + 1), width);
        const auto centre = static_cast<std::size_t>(l.width / 2);
        ASSERT_EQ(l.width % 2, 0);
        EXPECT_EQ(row[centre], 0);
        EXPECT_EQ(row[centre - 1], 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, ChartPeriods, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Horizontal" : "Vertical"; });

TEST_F(ChartFile, LabelsAtLeastThreeMillimetresTallAndAGapBetweenBands) {
    PitchChartSettings s = defaultPitchChart(0.5);
    s.resolution = 300;
    s.widthCm = 15;
    ASSERT_TRUE(write(s));
    const Result<ChartRows> rows = ChartRows::make(s, chartFontFile());
    ASSERT_TRUE(rows);
    const ChartLayout& l = rows.value().layout();
    EXPECT_TRUE(readsAsTiff(out, uint32_t(l.width), uint32_t(l.height), 300));
    TiffRows tiff(out);
    const auto width = static_cast<uint32_t>(l.width);
    int inked = 0;
    for (int64_t y = l.bandStart(0, false); y < l.bandStart(0, false) + l.band; ++y) {
        const std::vector<uint8_t> row = tiff.grey(uint32_t(y), width);
        inked +=
            std::any_of(row.begin(), row.begin() + l.margin, [](uint8_t v) { return v < 128; });
    }
    EXPECT_GE(inked, std::ceil(3 * 300 / 25.4));
    const std::vector<uint8_t> gap = tiff.grey(uint32_t(l.bandStart(1, false) - 1), width);
    EXPECT_TRUE(std::all_of(gap.begin(), gap.end(), [](uint8_t v) { return v == 255; }));
    // The title, in smaller type where it must be, ends before the white at the right.
    int titleInk = 0;
    for (int64_t y = 0; y < l.title; ++y) {
        const std::vector<uint8_t> row = tiff.grey(uint32_t(y), width);
        titleInk += std::count_if(row.begin(), row.end(), [](uint8_t v) { return v < 128; });
        EXPECT_TRUE(std::all_of(row.end() - l.pad, row.end(), [](uint8_t v) { return v == 255; }))
            << "title row " << y;
    }
    EXPECT_GT(titleInk, 0);
}

TEST_F(ChartFile, ProgressRisesToTheEnd) {
    PitchChartSettings s = defaultPitchChart(1);
    s.resolution = 150;
    std::vector<int> values;
    ASSERT_TRUE(write(s, {[&](int v) { values.push_back(v); }, {}}));
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), 1000);
}

struct Refused {
    const char* name;
    std::function<void(PitchChartSettings&, ChartFile&)> change;
    const char* says;
};

TEST_F(ChartFile, RefusalsLeaveNoFile) {
    const Refused cases[] = {
        // 201 bands of 100 mm, 300 cm wide at 4800 ppi: past even a BigTIFF's 4 TB.
        {"TooLargeForTheHeader",
         [](PitchChartSettings& s, ChartFile&) {
             s.resolution = 4800;
             s.widthCm = 300;
             s.bandMm = 100;
             s.step = s.range / 100;
         },
         "TIFF 文件容纳不下"},
        {"BadStep", [](PitchChartSettings& s, ChartFile&) { s.step = 0; }, "步长必须大于 0"},
        {"NoDataFile", [](PitchChartSettings&, ChartFile& f) { fs::remove(f.dir / "kvxj.dll"); },
         "kvxj.dll 没有找到"},
        {"OntoTheDataFile", [](PitchChartSettings&, ChartFile& f) { f.out = f.dir / "kvxj.dll"; },
         "不能用作输出文件"},
        {"MissingFolder", [](PitchChartSettings&, ChartFile& f) { f.out = f.dir / "no" / "c.tif"; },
         "输出文件夹不存在"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        PitchChartSettings s = defaultPitchChart(0.254);
        const fs::path kept = out;
        c.change(s, *this);
        const Status status = write(s);
        ASSERT_FALSE(status);
        EXPECT_NE(status.message().find(c.says), std::string::npos) << status.message();
        EXPECT_FALSE(fs::exists(kept));
        out = kept;
        writeFile(dir / "kvxj.dll", readFile(shippedDataFile()));
        EXPECT_TRUE(nothingWritten());
    }
}

struct PaperRow {
    const char* name;
    std::function<void(PitchChartSettings&)> change;
    const char* says; // empty: the chart fits
};

class ChartPaper : public ::testing::TestWithParam<PaperRow> {};

// Charts around 0.254 mm at 720 ppi laid out on their paper (1 cm margins),
// upright or turned.
TEST_P(ChartPaper, FitsThePrintableAreaOrSaysWhatFits) {
    PitchChartSettings s = defaultPitchChart(0.254);
    GetParam().change(s);
    const Result<ChartRows> planned = planPitchChart(s);
    if (std::string(GetParam().says).empty()) {
        ASSERT_TRUE(planned) << planned.message();
        const ChartLayout& l = planned.value().layout();
        const PaperArea area = printableArea(s.paper);
        const double w = double(l.width) * 25.4 / 720, h = double(l.height) * 25.4 / 720;
        EXPECT_TRUE((w <= area.widthMm && h <= area.heightMm) ||
                    (h <= area.widthMm && w <= area.heightMm))
            << w << " x " << h;
    } else {
        ASSERT_FALSE(planned);
        EXPECT_NE(planned.message().find(GetParam().says), std::string::npos) << planned.message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartPaper,
    ::testing::Values(
        PaperRow{"DefaultsOnA4", [](PitchChartSettings&) {}, ""},
        PaperRow{"DefaultsOnA4Horizontal", [](PitchChartSettings& s) { s.horizontal = true; }, ""},
        PaperRow{"DefaultsOnLetter", [](PitchChartSettings& s) { s.paper = Paper::Letter; },
                 "Letter 纸的可打印范围（四边各留 1 厘米）最多放得下 37 条测试条，现在有 41 条"},
        PaperRow{"TallBandsOnA4", [](PitchChartSettings& s) { s.bandMm = 8; },
                 "A4 纸的可打印范围（四边各留 1 厘米）最多放得下 31 条测试条，现在有 41 条"},
        PaperRow{"TallBandsOnA3",
                 [](PitchChartSettings& s) {
                     s.bandMm = 8;
                     s.paper = Paper::A3;
                 },
                 ""},
        PaperRow{"WiderThanA4", [](PitchChartSettings& s) { s.widthCm = 20; },
                 "放不下 20 厘米的宽度，最多 19 厘米：请减小宽度。"},
        PaperRow{"HorizontalWiderThanA4",
                 [](PitchChartSettings& s) {
                     s.horizontal = true;
                     s.widthCm = 20;
                 },
                 "放不下 20 厘米的宽度，最多 18 厘米：请减小宽度。"},
        PaperRow{"NeitherWayOnA4",
                 [](PitchChartSettings& s) {
                     s.widthCm = 30;
                     s.bandMm = 10;
                 },
                 "A4 纸的可打印范围（四边各留 1 厘米）放不下这张测试图"},
        // A vertical chart's title in smaller type, within the chart.
        PaperRow{"NarrowTitle", [](PitchChartSettings& s) { s.widthCm = 15; }, ""},
        PaperRow{"TitleTooLong",
                 [](PitchChartSettings& s) {
                     s.widthCm = 15;
                     s.pitch = 0.254123456789012;
                     s.step = 0.000127123456789012;
                 },
                 "宽度太小，放不下标题：请加大宽度。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartFile, AFullDiskLeavesNoFile) {
    const auto message =
        runWithFileSizeLimit(1 << 20, [&] { return write(defaultPitchChart(0.254)).message(); });
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("文件超出了允许的大小"), std::string::npos) << *message;
    EXPECT_NE(message->find("（ulimit -f）"), std::string::npos) << *message;
    EXPECT_TRUE(nothingWritten());
}

} // namespace
} // namespace tovrel::test
