#include "tests/pitch_reading/chart_photo.h"

#include "chart/pitch_chart_rows.h"
#include "flip/lens_sheet.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <numbers>
#include <random>
#include <vector>

namespace tovrel::test {

namespace {

constexpr double kPaper = 232; // white paper and black ink as a photo shows them
constexpr double kInk = 28;
constexpr double kPaperMarginMm = 12;

// The chart as the eye sees it through the sheet: every point under a lens
// shows the chart at that lens's sampled position along the lens axis.
struct SeenChart {
    int64_t width = 0;
    int64_t height = 0;
    std::vector<uint8_t> grey;
    std::vector<int64_t> lensSample; // along the lens axis
    bool horizontal = false;

    uint8_t at(int64_t x, int64_t y) const {
        if (horizontal) {
            y = lensSample[std::size_t(y)];
        } else {
            x = lensSample[std::size_t(x)];
        }
        return grey[std::size_t(y * width + x)];
    }
};

Result<SeenChart> seeChart(const ChartPhoto& p) {
    Result<ChartRows> made = ChartRows::make(p.chart, chartFontFile());
    if (!made) {
        return made.status();
    }
    ChartRows& rows = made.value();
    SeenChart seen;
    seen.width = rows.layout().width;
    seen.height = rows.layout().height;
    seen.horizontal = p.chart.horizontal;
    seen.grey.resize(std::size_t(seen.width * seen.height));
    std::vector<uint8_t> rgb(std::size_t(3 * seen.width));
    for (int64_t y = 0; y < seen.height; ++y) {
        rows.row(y, rgb);
        for (int64_t x = 0; x < seen.width; ++x) {
            seen.grey[std::size_t(y * seen.width + x)] = rgb[std::size_t(3 * x)];
        }
    }
    LensSheet sheet;
    sheet.grid.width = chartPeriod(p.chart, p.truePitch);
    sheet.grid.origin = p.lensOrigin;
    const int64_t axis = p.chart.horizontal ? seen.height : seen.width;
    for (int64_t i = 0; i < axis; ++i) {
        const int64_t s =
            p.underSheet ? sheet.sampleOf(sheet.lensAt(static_cast<double>(i) + 0.5), p.phase) : i;
        seen.lensSample.push_back(std::clamp<int64_t>(s, 0, axis - 1));
    }
    return seen;
}

// Photo pixel -> chart pixel: the chart centred, turned, scaled to fill the
// photo, tipped in perspective.
Eigen::Matrix3d photoToChart(const ChartPhoto& p, double chartW, double chartH) {
    const double turn = p.turnDegrees * std::numbers::pi / 180;
    const double c = std::cos(turn);
    const double s = std::sin(turn);
    const double spanX = std::abs(c) * chartW + std::abs(s) * chartH;
    const double spanY = std::abs(s) * chartW + std::abs(c) * chartH;
    const double scale = p.fill * std::min(p.width / spanX, p.height / spanY);
    Eigen::Matrix3d centre;
    centre << 1, 0, -chartW / 2, 0, 1, -chartH / 2, 0, 0, 1;
    Eigen::Matrix3d rotate;
    rotate << scale * c, -scale * s, 0, scale * s, scale * c, 0, 0, 0, 1;
    Eigen::Matrix3d tip;
    tip << 1, 0, 0, 0, 1, 0, p.keystoneX / (p.width / 2.0), p.keystoneY / (p.height / 2.0), 1;
    Eigen::Matrix3d place;
    place << 1, 0, p.width / 2.0, 0, 1, p.height / 2.0, 0, 0, 1;
    return (place * tip * rotate * centre).inverse();
}

void gaussianBlur(std::vector<float>& img, int w, int h, double sigma) {
    if (sigma <= 0) {
        return;
    }
    const int r = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> kernel;
    float total = 0;
    for (int i = -r; i <= r; ++i) {
        kernel.push_back(static_cast<float>(std::exp(-i * i / (2 * sigma * sigma))));
        total += kernel.back();
    }
    for (float& k : kernel) {
        k /= total;
    }
    std::vector<float> tmp(img.size());
    const auto pass = [&](const std::vector<float>& in, std::vector<float>& out, int stepAlong,
                          int count, int stepLine, int lines) {
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < count; ++i) {
                float sum = 0;
                for (int k = -r; k <= r; ++k) {
                    const int j = std::clamp(i + k, 0, count - 1);
                    sum += kernel[std::size_t(k + r)] * in[std::size_t(l) * std::size_t(stepLine) +
                                                           std::size_t(j) * std::size_t(stepAlong)];
                }
                out[std::size_t(l) * std::size_t(stepLine) +
                    std::size_t(i) * std::size_t(stepAlong)] = sum;
            }
        }
    };
    pass(img, tmp, 1, w, w, h);
    pass(tmp, img, w, h, 1, w);
}

Status writeJpeg(const std::vector<float>& img, int w, int h, int quality,
                 const std::filesystem::path& file) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        return Status::fail("cannot write " + file.string());
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(3 * w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float v = img[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            // A warm indoor light.
            const float tint[3] = {1.0f, 0.96f, 0.88f};
            for (int c = 0; c < 3; ++c) {
                row[std::size_t(3 * x + c)] =
                    static_cast<JSAMPLE>(std::clamp(std::lround(v * tint[c]), 0L, 255L));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0 ? Status::ok() : Status::fail("cannot write " + file.string());
}

} // namespace

ChartPhoto distortedPhoto(double truePitch, double phase, double turn, double keystoneX,
                          double keystoneY, double blur, double light, double noise, int quality) {
    ChartPhoto p;
    p.chart = defaultPitchChart(0.254);
    p.truePitch = truePitch;
    p.phase = phase;
    p.lensOrigin = 17 * phase;
    p.turnDegrees = turn;
    p.keystoneX = keystoneX;
    p.keystoneY = keystoneY;
    p.blur = blur;
    p.lightFalloff = light;
    p.noise = noise;
    p.quality = quality;
    return p;
}

ChartPhoto randomPhoto(unsigned seed) {
    std::mt19937 random(seed);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const double ways[] = {0, 90, 180, 270};
    const double way = ways[random() % 4];
    ChartPhoto p =
        distortedPhoto(0.254 * uniform(0.991, 1.009), uniform(0, 1), way + uniform(-4, 4),
                       uniform(-0.05, 0.05), uniform(-0.05, 0.05), uniform(0.8, 2),
                       uniform(0.1, 0.5), uniform(1, 4), static_cast<int>(uniform(75, 95)));
    p.seed = seed;
    return p;
}

Status writeChartPhoto(const ChartPhoto& p, const std::filesystem::path& jpegFile) {
    Result<SeenChart> made = seeChart(p);
    if (!made) {
        return made.status();
    }
    const SeenChart& seen = made.value();
    const auto cw = static_cast<double>(seen.width);
    const auto ch = static_cast<double>(seen.height);
    const Eigen::Matrix3d toChart = photoToChart(p, cw, ch);
    // Box filter: as many samples per photo pixel as chart pixels fall in it.
    const double chartPerPhoto = (toChart.block<2, 2>(0, 0).norm() / std::sqrt(2.0));
    const int sub = std::clamp(static_cast<int>(std::ceil(chartPerPhoto)), 1, 4);
    const double margin = kPaperMarginMm * p.chart.resolution / 25.4;
    std::vector<float> img(std::size_t(p.width) * std::size_t(p.height));
    const auto inside = [&](double x, double y, double m) {
        return x >= -m && y >= -m && x < cw + m && y < ch + m;
    };
    for (int py = 0; py < p.height; ++py) {
        for (int px = 0; px < p.width; ++px) {
            double sum = 0;
            for (int j = 0; j < sub; ++j) {
                const double sy = py + (j + 0.5) / sub;
                for (int i = 0; i < sub; ++i) {
                    const double sx = px + (i + 0.5) / sub;
                    const double w = toChart(2, 0) * sx + toChart(2, 1) * sy + toChart(2, 2);
                    const double x = (toChart(0, 0) * sx + toChart(0, 1) * sy + toChart(0, 2)) / w;
                    const double y = (toChart(1, 0) * sx + toChart(1, 1) * sy + toChart(1, 2)) / w;
                    if (p.withChart && inside(x, y, 0)) {
                        sum += kInk + (kPaper - kInk) / 255 * seen.at(int64_t(x), int64_t(y));
                    } else if (p.withChart && inside(x, y, margin)) {
                        sum += kPaper;
                    } else {
                        // A wooden table: slow grain.
                        sum += 96 + 18 * std::sin(px * 0.013 + 3 * std::sin(py * 0.004));
                    }
                }
            }
            img[std::size_t(py) * std::size_t(p.width) + std::size_t(px)] =
                static_cast<float>(sum / (sub * sub));
        }
    }
    gaussianBlur(img, p.width, p.height, p.blur);
    std::mt19937 random(p.seed);
    std::normal_distribution<float> noise(0, static_cast<float>(p.noise));
    for (int py = 0; py < p.height; ++py) {
        for (int px = 0; px < p.width; ++px) {
            const double light = 1 - p.lightFalloff * (0.7 * px / p.width + 0.3 * py / p.height);
            float& v = img[std::size_t(py) * std::size_t(p.width) + std::size_t(px)];
            v = static_cast<float>(v * light) + noise(random);
        }
    }
    return writeJpeg(img, p.width, p.height, p.quality, jpegFile);
}

} // namespace tovrel::test
