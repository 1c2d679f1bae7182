#include "chart/pitch_chart_rows.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

namespace {

constexpr double kPadMm = 2;
constexpr double kGapMm = 0.5;
constexpr double kTextMm = 3;        // height of a digit on paper
constexpr double kMinGratingMm = 20; // of every band beyond its label
constexpr int kTitleShrink = 3;      // the title's type goes down to 2/3 of the labels'

} // namespace

int64_t ChartLayout::bandStart(int j, bool horizontal) const {
    return (horizontal ? 0 : title) + j * (band + gap);
}

Result<ChartRows> ChartRows::make(const PitchChartSettings& settings,
                                  const std::filesystem::path& fontFile) {
    ChartRows rows;
    rows.settings_ = settings;
    const auto digitRows = static_cast<int>(std::ceil(kTextMm * settings.resolution / 25.4));
    Result<std::unique_ptr<ChartFont>> font = ChartFont::open(fontFile, digitRows);
    if (!font) {
        return font.status();
    }
    rows.font_ = std::move(font).value();
    Result<TextLine> title = rows.font_->layout(chartTitle(settings));
    if (!title) {
        return title.status();
    }
    rows.title_ = std::move(title).value();
    const int decimals = labelDecimals(settings);
    int widest = 0;
    int tallest = 0;
    for (const double pitch : chartPitches(settings)) {
        Result<TextLine> label = rows.font_->layout(bandLabel(pitch, decimals));
        if (!label) {
            return label.status();
        }
        widest = std::max(widest, label.value().width);
        tallest = std::max(tallest, label.value().height());
        rows.labels_.push_back(std::move(label).value());
    }

    ChartLayout& l = rows.layout_;
    l.bands = static_cast<int>(rows.labels_.size());
    l.pad = chartPixels(settings, kPadMm);
    l.gap = chartPixels(settings, kGapMm);
    l.band = chartPixels(settings, settings.bandMm);
    l.title = rows.title_.height() + 2 * l.pad;
    l.margin = widest + 2 * l.pad;
    const int64_t length = chartPixels(settings, settings.widthCm * 10);
    if (tallest > l.band) {
        return Status::fail("条高太小，放不下标签：请加大条高。");
    }
    if (l.margin + chartPixels(settings, kMinGratingMm) > length) {
        return Status::fail("宽度太小，放不下标签和栅线：请加大宽度。");
    }
    if (!settings.horizontal) {
        if (Status title = rows.fitTitle(fontFile, digitRows, length); !title) {
            return title;
        }
    }
    l.titleSpan = rows.title_.width + 2 * l.pad;
    const int64_t across = l.bands * l.band + (l.bands - 1) * l.gap;
    if (settings.horizontal) {
        l.width = std::max<int64_t>(across, l.titleSpan);
        l.height = l.title + length;
    } else {
        l.width = length;
        l.height = l.title + across;
    }
    // A line starts at the centre line, as the print's lens grid is anchored.
    const double centre = static_cast<double>(settings.horizontal ? l.height : l.width) / 2;
    for (const double pitch : chartPitches(settings)) {
        rows.gratings_.emplace_back(chartPeriod(settings, pitch), centre);
    }
    rows.targets_ = chartTargets(l, settings.resolution, settings.horizontal);
    return rows;
}

// The labels' type, or the largest smaller one in which the title fits the
// chart's width; the title strip keeps its height, so the layout stands.
Status ChartRows::fitTitle(const std::filesystem::path& fontFile, int digitRows, int64_t width) {
    const int64_t room = width - 2 * layout_.pad;
    const int smallest = (digitRows * (kTitleShrink - 1) + kTitleShrink - 1) / kTitleShrink;
    // Type scales with the digits' height: try the proportional size first.
    int rows = digitRows;
    while (title_.width > room) {
        rows =
            std::min(rows - 1, static_cast<int>(rows * std::max<int64_t>(room, 0) / title_.width));
        if (rows < smallest) {
            return Status::fail("宽度太小，放不下标题：请加大宽度。");
        }
        Result<std::unique_ptr<ChartFont>> font = ChartFont::open(fontFile, rows);
        if (!font) {
            return font.status();
        }
        Result<TextLine> title = font.value()->layout(chartTitle(settings_));
        if (!title) {
            return title.status();
        }
        titleFont_ = std::move(font).value();
        title_ = std::move(title).value();
    }
    return Status::ok();
}

int ChartRows::bandAt(int64_t position) const {
    const int64_t k = position / (layout_.band + layout_.gap);
    const bool inBand = position >= 0 && position % (layout_.band + layout_.gap) < layout_.band;
    return inBand && k < layout_.bands ? static_cast<int>(k) : -1;
}

int64_t ChartRows::rowKey(int64_t y) const {
    const ChartLayout& l = layout_;
    if (y < l.title) {
        return y >= l.pad && y < l.pad + title_.height() ? y : -1;
    }
    if (settings_.horizontal) {
        return y;
    }
    const int j = bandAt(y - l.title);
    if (j < 0) {
        return -1;
    }
    const int64_t r = y - l.bandStart(j, false);
    const int64_t labelTop = (l.band - labels_[std::size_t(j)].height()) / 2;
    const bool onLabel = r >= labelTop && r < labelTop + labels_[std::size_t(j)].height();
    const bool onTarget = std::any_of(targets_.begin(), targets_.end(), [y](const ChartTarget& t) {
        return y >= t.y && y < t.y + t.size();
    });
    // Every row of a band outside its label and the targets is the same.
    return onLabel || onTarget ? y : l.height + j;
}

bool ChartRows::titleRow(int64_t y) {
    if (y >= layout_.title) {
        return false;
    }
    std::fill(grey_.begin(), grey_.end(), 255);
    const int64_t row = y - layout_.pad;
    if (row >= 0 && row < title_.height()) {
        drawTextRow(title_, static_cast<int>(row), grey_, layout_.pad);
    }
    return true;
}

void ChartRows::verticalRow(int64_t y) {
    const ChartLayout& l = layout_;
    const int j = bandAt(y - l.title);
    if (j < 0) {
        std::fill(grey_.begin(), grey_.end(), 255);
        return;
    }
    if (patternBand_ != j) {
        // The grating row of a band: made once, copied into each of its rows.
        pattern_.assign(std::size_t(l.width), 255);
        gratings_[std::size_t(j)].fill(std::span(pattern_).subspan(std::size_t(l.margin)),
                                       l.margin);
        patternBand_ = j;
    }
    grey_ = pattern_;
    const TextLine& label = labels_[std::size_t(j)];
    const int64_t row = y - l.bandStart(j, false) - (l.band - label.height()) / 2;
    if (row >= 0 && row < label.height()) {
        drawTextRow(label, static_cast<int>(row), std::span(grey_).first(std::size_t(l.margin)),
                    l.pad);
    }
}

void ChartRows::horizontalRow(int64_t y) {
    const ChartLayout& l = layout_;
    std::fill(grey_.begin(), grey_.end(), 255);
    const bool labelZone = y - l.title < l.margin;
    // Labels read upwards and end pad rows above the grating.
    const int64_t column = l.title + l.margin - 1 - l.pad - y;
    for (int j = 0; j < l.bands; ++j) {
        const auto band =
            std::span(grey_).subspan(std::size_t(l.bandStart(j, true)), std::size_t(l.band));
        if (labelZone) {
            const TextLine& label = labels_[std::size_t(j)];
            drawTextColumn(label, static_cast<int>(column), band, (l.band - label.height()) / 2);
        } else {
            std::fill(band.begin(), band.end(), gratings_[std::size_t(j)].grey(y));
        }
    }
}

void ChartRows::row(int64_t y, std::span<uint8_t> rgb) {
    grey_.resize(std::size_t(layout_.width));
    if (!titleRow(y)) {
        if (settings_.horizontal) {
            horizontalRow(y);
        } else {
            verticalRow(y);
        }
        drawTargetsRow(targets_, y, grey_);
    }
    if (settings_.output.format == PixelFormat::Cmyk) {
        // A grey is so much black ink and nothing else: fine lines print in
        // one ink, free of misregistration between plates.
        for (std::size_t x = 0; x < grey_.size(); ++x) {
            rgb[4 * x] = rgb[4 * x + 1] = rgb[4 * x + 2] = 0;
            rgb[4 * x + 3] = static_cast<uint8_t>(255 - grey_[x]);
        }
        return;
    }
    for (std::size_t x = 0; x < grey_.size(); ++x) {
        rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = grey_[x];
    }
}

} // namespace tovrel
