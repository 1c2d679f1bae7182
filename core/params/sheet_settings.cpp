#include "params/sheet_settings.h"

#include "common/number_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tovrel {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Two plain numbers joined by 'x' (or '×'): "32x45", "2x4".
bool readPair(std::string_view text, double& a, double& b) {
    std::string t = lower(text);
    if (const auto times = t.find("×"); times != std::string::npos) {
        t.replace(times, std::string("×").size(), "x");
    }
    const auto x = t.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == t.size()) {
        return false;
    }
    const std::string first = t.substr(0, x);
    const std::string second = t.substr(x + 1);
    char* end = nullptr;
    a = std::strtod(first.c_str(), &end);
    if (*end != '\0' || !std::isdigit(static_cast<unsigned char>(first[0]))) {
        return false;
    }
    b = std::strtod(second.c_str(), &end);
    return *end == '\0' && std::isdigit(static_cast<unsigned char>(second[0]));
}

} // namespace

Status readPaper(std::string_view text, SheetSettings& into) {
    for (const PaperPreset& preset : kPaperPresets) {
        if (lower(preset.name) == lower(text)) {
            into.paperWidthMm = preset.widthMm;
            into.paperHeightMm = preset.heightMm;
            into.paperTurns = true;
            return Status::ok();
        }
    }
    double w = 0;
    double h = 0;
    if (!readPair(text, w, h) || !(w > 0) || !(h > 0) || w > 500 || h > 500) {
        return Status::fail("纸张须是 A4、A3、SRA3、Letter、Tabloid 或 宽x高（厘米，最大 500），"
                            "不是“" +
                            std::string(text) + "”。");
    }
    into.paperWidthMm = w * 10;
    into.paperHeightMm = h * 10;
    into.paperTurns = false;
    return Status::ok();
}

Status readCopies(std::string_view text, SheetSettings& into) {
    if (lower(text) == "auto") {
        into.rows = 0;
        into.columns = 0;
        return Status::ok();
    }
    double r = 0;
    double c = 0;
    if (!readPair(text, r, c) || r != std::floor(r) || c != std::floor(c) || r < 1 || c < 1 ||
        r > 1000 || c > 1000) {
        return Status::fail("份数须是 auto 或 行x列（如 2x4），不是“" + std::string(text) + "”。");
    }
    into.rows = static_cast<int32_t>(r);
    into.columns = static_cast<int32_t>(c);
    return Status::ok();
}

Status checkSheetRanges(const SheetSettings& settings) {
    if (!(settings.bleedMm >= 0 && settings.bleedMm <= kMaxBleedMm)) {
        return Status::fail("出血须在 0 到 " + formatDouble(kMaxBleedMm) + " 毫米之间，不是 " +
                            formatDouble(settings.bleedMm) + "。");
    }
    if (settings.sheet && !(settings.gutterMm >= 0 && settings.gutterMm <= kMaxGutterMm)) {
        return Status::fail("间距须在 0 到 " + formatDouble(kMaxGutterMm) + " 毫米之间，不是 " +
                            formatDouble(settings.gutterMm) + "。");
    }
    return Status::ok();
}

} // namespace tovrel
