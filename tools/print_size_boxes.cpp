#include "tools/print_size_boxes.h"

#include "common/leading_number.h"
#include "common/number_format.h"
#include "params/print_size.h"

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
    if (leadingNumber(width_) > kMaxWidthCm) {
        setWidth(formatDouble(kMaxWidthCm));
    }
    if (locked_) {
        setHeight(formatDouble(heightForWidth(leadingNumber(width_), aspect_)));
    }
}

void PrintSizeBoxes::heightChanged() {
    if (aspect_ != 0 && locked_) {
        setWidth(formatDouble(widthForHeight(leadingNumber(height_), aspect_)));
    }
}

} // namespace tovrel
