#include "tools/print_size_boxes.h"

#include "common/leading_number.h"
#include "params/print_size.h"

#include <optional>

namespace tovrel {

PrintSizeBoxes::PrintSizeBoxes(float aspect, bool locked)
    : aspect_(aspect), locked_(locked), width_(kWidthLabel), height_(kHeightLabel) {}

void PrintSizeBoxes::setWidth(const std::string& text) {
    if (text != width_) {
        width_ = text;
        widthChanged();
    }
}

void PrintSizeBoxes::setHeight(const std::string& text) {
    if (text != height_) {
        height_ = text;
        heightChanged();
    }
}

void PrintSizeBoxes::widthChanged() {
    if (aspect_ == 0) {
        return;
    }
    ++depth_;
    if (const std::optional<std::string> capped = cappedWidthText(leadingNumber(width_))) {
        setWidth(*capped);
    }
    if (locked_ && depth_ <= kMaxSizeExchangeDepth) {
        if (const auto height = heightTextForWidth(leadingNumber(width_), aspect_)) {
            setHeight(*height);
        }
    }
    --depth_;
}

void PrintSizeBoxes::heightChanged() {
    if (aspect_ == 0) {
        return;
    }
    ++depth_;
    if (locked_ && depth_ <= kMaxSizeExchangeDepth) {
        if (const auto width = widthTextForHeight(leadingNumber(height_), aspect_)) {
            setWidth(*width);
        }
    }
    --depth_;
}

} // namespace tovrel
