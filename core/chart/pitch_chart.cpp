#include "chart/pitch_chart.h"

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tovrel {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kMaxPitch = 3; // what the pitch box accepts
constexpr int kFewestDecimals = 4;
constexpr double kFinestStep = 0.000001;
// Band pitches are kept to this many decimals: far below any printer's
// reach, and enough to drop the last bits of binary fractions (2.575 + 17 *
// 0.025 is 3.0000000000000004 in doubles).
constexpr int kPitchDecimals = 12;
// Whole steps within the range allow for the division's last bit.
constexpr double kWholeStepSlack = 1e-9;

// Whole steps from the nominal pitch to either end, as a double so that any
// range and step can be counted before being checked.
double wholeSteps(const PitchChartSettings& s) {
    return std::floor(s.range / s.step + kWholeStepSlack);
}

// Decimals of a value's shortest text of at most 15 significant digits.
int decimalsOf(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
    const std::string digits(text);
    const std::size_t e = digits.find('e');
    const std::size_t last = digits.find_last_not_of('0', e - 1);
    const int fraction = last == 1 ? 0 : static_cast<int>(last) - 1;
    return std::max(0, fraction - std::atoi(text + e + 1));
}

Result<double> fieldNumber(const std::string& field, const std::string& text) {
    if (text.empty()) {
        return Status::fail("请填写" + field + "。");
    }
    if (!isPlainNumber(text)) {
        return Status::fail(field + "“" + text + "”不是数字。");
    }
    const double value = leadingNumber(text);
    if (!std::isfinite(value)) {
        return Status::fail(field + "“" + text + "”超出了数的范围。");
    }
    return value;
}

} // namespace

double defaultChartResolution(int32_t printerPpi) {
    return printerPpi > 0 ? printerPpi : 720;
}

PitchChartSettings defaultPitchChart(double pitch, int32_t printerPpi) {
    PitchChartSettings s;
    s.pitch = pitch;
    s.range = pitch * 0.01;
    s.step = pitch * 0.0005;
    s.resolution = defaultChartResolution(printerPpi);
    return s;
}

PitchChartTexts chartTexts(const PitchChartSettings& s) {
    return {formatDouble(s.pitch),
            formatDouble(s.range),
            formatDouble(s.step),
            formatDouble(s.resolution),
            formatDouble(s.widthCm),
            formatDouble(s.bandMm),
            s.horizontal,
            s.paper};
}

Result<PitchChartSettings> readPitchChart(const PitchChartTexts& t) {
    PitchChartSettings s;
    s.horizontal = t.horizontal;
    s.paper = t.paper;
    const struct {
        const char* field;
        const std::string& text;
        double& value;
    } fields[] = {{"栅距", t.pitch, s.pitch},     {"范围", t.range, s.range},
                  {"步长", t.step, s.step},       {"分辨率", t.resolution, s.resolution},
                  {"宽度", t.widthCm, s.widthCm}, {"条高", t.bandMm, s.bandMm}};
    for (const auto& f : fields) {
        Result<double> number = fieldNumber(f.field, f.text);
        if (!number) {
            return number.status();
        }
        f.value = number.value();
    }
    if (Status checked = checkPitchChart(s); !checked) {
        return checked;
    }
    return s;
}

Status checkPitchChart(const PitchChartSettings& s) {
    for (const double value : {s.pitch, s.range, s.step, s.resolution, s.widthCm, s.bandMm}) {
        if (!std::isfinite(value)) {
            return Status::fail("测试图的数值必须是有限的数。");
        }
    }
    if (!(s.pitch > 0 && s.pitch <= kMaxPitch)) {
        return Status::fail("栅距必须大于 0 且不超过 3 毫米。");
    }
    if (!(s.range >= 0 && s.range <= kMaxPitch)) {
        return Status::fail("范围不能小于 0 毫米，也不能超过 3 毫米。");
    }
    if (!(s.step > 0)) {
        return Status::fail("步长必须大于 0 毫米。");
    }
    if (!(s.step >= kFinestStep)) {
        return Status::fail("步长至少为 0.000001 毫米：更小的步长在标签上分不出来。");
    }
    const double bands = 2 * wholeSteps(s) + 1;
    if (!(bands <= kMaxChartBands)) {
        return Status::fail("这样会有 " + formatDouble(bands) +
                            " 条测试条，最多 201 条：请增大步长或减小范围。");
    }
    const std::vector<double> pitches = chartPitches(s);
    if (!(pitches.front() > 0)) {
        return Status::fail("最小的栅距 " + formatDouble(pitches.front()) +
                            " 毫米不大于 0：请减小范围。");
    }
    if (!(pitches.back() <= kMaxPitch)) {
        return Status::fail("最大的栅距 " + formatDouble(pitches.back()) +
                            " 毫米超过 3 毫米：请减小范围或步长。");
    }
    if (!(s.resolution >= 72 && s.resolution <= 4800)) {
        return Status::fail("分辨率必须在 72 到 4800 像素/英寸之间。");
    }
    if (!(s.widthCm >= 15 && s.widthCm <= 300)) {
        return Status::fail("宽度必须在 15 到 300 厘米之间。");
    }
    if (!(s.bandMm >= 6 && s.bandMm <= 100)) {
        return Status::fail("条高必须在 6 到 100 毫米之间。");
    }
    return Status::ok();
}

int chartBandCount(const PitchChartSettings& s) {
    return 2 * static_cast<int>(wholeSteps(s)) + 1;
}

std::vector<double> chartPitches(const PitchChartSettings& s) {
    std::vector<double> pitches;
    const auto n = static_cast<int>(wholeSteps(s));
    for (int i = -n; i <= n; ++i) {
        pitches.push_back(roundToDecimals(s.pitch + i * s.step, kPitchDecimals));
    }
    return pitches;
}

int labelDecimals(const PitchChartSettings& s) {
    return std::max({kFewestDecimals, decimalsOf(s.step), decimalsOf(s.pitch)});
}

std::string bandLabel(double pitch, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f mm  %.2f LPI", decimals, pitch, kMmPerInch / pitch);
    return text;
}

std::string chartTitle(const PitchChartSettings& s) {
    return "栅距测试  标称栅距 " + formatDouble(s.pitch) + " mm  步长 " + formatDouble(s.step) +
           " mm  " + formatDouble(s.resolution) + " 像素/英寸  " +
           (s.horizontal ? "横向栅线（横变）" : "竖向栅线（竖变）");
}

int64_t chartPixels(const PitchChartSettings& s, double mm) {
    return std::max<int64_t>(1,
                             static_cast<int64_t>(roundHalfEven(mm * s.resolution / kMmPerInch)));
}

double chartPeriod(const PitchChartSettings& s, double pitch) {
    return s.resolution * pitch / kMmPerInch;
}

} // namespace tovrel
