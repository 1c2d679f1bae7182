#include "params/print_settings.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "params/print_size.h"

#include <algorithm>
#include <cctype>

namespace tovrel {

PpiEntry printerPpiEntry(const std::string& text) {
    if (printerPpiOf(text)) {
        return PpiEntry::Taken;
    }
    const bool digits =
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    // Empty, or fewer digits than the smallest resolution, with no leading 0.
    if (digits && text.size() < 3 && (text.empty() || text[0] != '0')) {
        return PpiEntry::Growing;
    }
    return PpiEntry::Refused;
}

std::optional<int32_t> printerPpiOf(const std::string& text) {
    const double ppi = leadingNumber(text);
    if (ppi >= kMinPrinterPpi && ppi <= kMaxPrinterPpi && ppi == roundHalfEven(ppi)) {
        return static_cast<int32_t>(ppi);
    }
    return std::nullopt;
}

RunSettings runSettingsOf(const SettingsTexts& texts) {
    RunSettings settings;
    settings.widthCm = leadingNumber(texts.width);
    settings.heightCm = leadingNumber(texts.height);
    settings.whiteGaps = texts.whiteGaps;
    if (texts.whiteGapItem) {
        settings.whiteWidth = roundToLong(leadingNumber(*texts.whiteGapItem)).value_or(0);
    }
    settings.horizontal = texts.horizontal;
    settings.press = texts.press;
    if (texts.printerRes) {
        settings.printerPpi = printerPpiOf(texts.printerPpi).value_or(-1);
    }
    return settings;
}

Confirmation confirmSettings(const SettingsTexts& texts, uint8_t viewCount) {
    Confirmation c;
    c.Pitch = toSingle(leadingNumber(texts.pitch));
    c.Sharp = toSingle(leadingNumber(texts.sharpness));
    c.valid = c.Sharp != 0 && c.Pitch != 0 && viewCount >= 2 &&
              (!texts.printerRes || printerPpiOf(texts.printerPpi));
    return c;
}

namespace {

std::optional<std::string> sizeProblem(const std::string& text, const char* what,
                                       const char* label) {
    if (beginsWithNumber(text)) {
        return std::nullopt;
    }
    const std::string asked = std::string("请填写以厘米为单位的打印") + what + "。";
    if (text.find_first_not_of(" \t") == std::string::npos || text == label) {
        return asked;
    }
    return std::string("打印") + what + "“" + text + "”不是数字：" + asked;
}

} // namespace

std::optional<std::string> printSizeProblem(const SettingsTexts& texts) {
    if (auto width = sizeProblem(texts.width, "宽度", kWidthLabel)) {
        return width;
    }
    return sizeProblem(texts.height, "高度", kHeightLabel);
}

std::optional<std::string> shownResolution(const std::optional<Resolution>& lens,
                                           const SettingsTexts& texts) {
    if (texts.printerRes) {
        if (const auto ppi = printerPpiOf(texts.printerPpi)) {
            return resolutionLabel(*ppi);
        }
    }
    if (lens) {
        return resolutionLabel(lens->pixelsPerInch);
    }
    return std::nullopt;
}

} // namespace tovrel
