// The pitch read back from simulated photographs of the default chart
// (0.254 mm, 41 bands at 720 ppi) under lens sheets of known pitch, through
// the whole camera: within a quarter of the chart's step, or refused with
// what to do.

#include "pitch_reading/pitch_reading.h"
#include "tests/pitch_reading/chart_photo.h"
#include "tests/support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

struct PhotoRow {
    const char* name;
    ChartPhoto photo;
    bool horizontal = false; // the chart's lines
};

const PhotoRow kPhotos[] = {
    {"BetweenBands", distortedPhoto(0.254033, 0.3, 91.5, 0.03, 0.01, 1.0, 0.3, 2, 88)},
    {"LowSide", distortedPhoto(0.25251, 0.8, 88, -0.04, 0.02, 1.2, 0.4, 3, 85)},
    {"HighSide", distortedPhoto(0.25583, 0.05, 93, 0.02, -0.03, 0.8, 0.2, 2, 90)},
    {"UpsideDown", distortedPhoto(0.25412, 0.55, 268, 0.05, 0.0, 1.5, 0.5, 4, 80)},
    {"Upright", distortedPhoto(0.25389, 0.15, -3, 0.0, 0.04, 1.0, 0.3, 2, 88)},
    {"HorizontalLines", distortedPhoto(0.25367, 0.7, 1.5, 0.02, 0.03, 1.0, 0.3, 2, 88), true},
};

class PitchFromPhoto : public ::testing::TestWithParam<PhotoRow> {};

TEST_P(PitchFromPhoto, WithinAQuarterStep) {
    const PhotoRow& row = GetParam();
    ChartPhoto photo = row.photo;
    photo.chart.horizontal = row.horizontal;
    TempDir dir;
    ASSERT_TRUE(writeChartPhoto(photo, dir / "photo.jpg"));
    const Result<PitchReading> read = readPitchPhoto(dir / "photo.jpg", photo.chart);
    ASSERT_TRUE(read) << read.message();
    const PitchReading& r = read.value();
    EXPECT_NEAR(r.pitch / photo.truePitch, 1, 0.00012) << pitchText(r.pitch);
    EXPECT_GT(r.uncertainty, 0);
    EXPECT_LT(r.uncertainty, 0.00012 * photo.truePitch);
    // The stated uncertainty is honest: the true pitch within two of it.
    EXPECT_LT(std::abs(r.pitch - photo.truePitch), 2 * r.uncertainty)
        << pitchText(r.pitch) << " ± " << r.uncertainty;
    EXPECT_NEAR(r.nearestPitch, photo.truePitch, photo.chart.step / 2);
}

INSTANTIATE_TEST_SUITE_P(Photos, PitchFromPhoto, ::testing::ValuesIn(kPhotos),
                         [](const auto& info) { return std::string(info.param.name); });

// Photographs that give no pitch, each refused with what to do.
struct RefusedRow {
    const char* name;
    double fill;
    bool withChart;
    bool underSheet;
    const char* message;
};

const RefusedRow kRefused[] = {
    {"NoChart", 0.86, false, true, "照片里找不到测试图四角的方形标记"},
    {"ChartTooSmall", 0.3, true, true, "它在照片里太小"},
    {"NoLensSheet", 0.86, true, false, "条测试条看得出莫尔条纹"},
};

class PhotoRefused : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(PhotoRefused, WithWhatToDo) {
    const RefusedRow& row = GetParam();
    ChartPhoto photo = distortedPhoto(0.254033, 0.3, 91.5, 0.03, 0.01, 1.0, 0.3, 2, 88);
    photo.fill = row.fill;
    photo.withChart = row.withChart;
    photo.underSheet = row.underSheet;
    TempDir dir;
    ASSERT_TRUE(writeChartPhoto(photo, dir / "photo.jpg"));
    const Result<PitchReading> read = readPitchPhoto(dir / "photo.jpg", photo.chart);
    ASSERT_FALSE(read);
    EXPECT_NE(read.message().find(row.message), std::string::npos) << read.message();
    EXPECT_NE(read.message().find("重拍"), std::string::npos) << read.message();
}

INSTANTIATE_TEST_SUITE_P(Photos, PhotoRefused, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
