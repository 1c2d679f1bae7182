#include "params/size_exchange.h"

#include "common/leading_number.h"
#include "params/print_size.h"

namespace tovrel {

class SizeExchange::Scope {
  public:
    Scope(SizeExchange& exchange, SizeBox box, bool typed) : exchange_(exchange) {
        if (exchange_.depth_++ == 0) {
            exchange_.typedBox_ = typed ? std::optional(box) : std::nullopt;
            exchange_.capped_ = false;
        }
    }
    ~Scope() {
        if (--exchange_.depth_ == 0) {
            exchange_.typedBox_.reset();
        }
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool mayAnswer() const { return exchange_.depth_ <= kMaxSizeExchangeDepth; }

  private:
    SizeExchange& exchange_;
};

bool SizeExchange::mayWrite(SizeBox box) const {
    return typedBox_ != box || capped_;
}

bool SizeExchange::widthChanged(SizeBoxes& boxes, float aspect, bool locked, bool typed) {
    if (aspect == 0) {
        return false;
    }
    const Scope scope(*this, SizeBox::Width, typed);
    if (const auto capped = cappedWidthText(leadingNumber(boxes.width()))) {
        capped_ = true;
        boxes.setWidth(*capped);
    }
    if (locked && scope.mayAnswer() && mayWrite(SizeBox::Height)) {
        if (const auto height = heightTextForWidth(leadingNumber(boxes.width()), aspect)) {
            boxes.setHeight(*height);
        }
    }
    return true;
}

bool SizeExchange::heightChanged(SizeBoxes& boxes, float aspect, bool locked, bool typed) {
    if (aspect == 0) {
        return false;
    }
    const Scope scope(*this, SizeBox::Height, typed);
    if (locked && scope.mayAnswer()) {
        const double height = leadingNumber(boxes.height());
        // A height whose width passes the cap is bounded through the width.
        if (widthForHeight(height, aspect) > kMaxWidthCm) {
            capped_ = true;
        }
        if (mayWrite(SizeBox::Width)) {
            if (const auto width = widthTextForHeight(height, aspect)) {
                boxes.setWidth(*width);
            }
        }
    }
    return true;
}

TextSizeBoxes::TextSizeBoxes(float aspect, bool locked)
    : aspect_(aspect), locked_(locked), width_(kWidthLabel), height_(kHeightLabel) {}

void TextSizeBoxes::setWidth(const std::string& text) {
    set(SizeBox::Width, text, false);
}

void TextSizeBoxes::setHeight(const std::string& text) {
    set(SizeBox::Height, text, false);
}

void TextSizeBoxes::typeWidth(const std::string& text) {
    set(SizeBox::Width, text, true);
}

void TextSizeBoxes::typeHeight(const std::string& text) {
    set(SizeBox::Height, text, true);
}

void TextSizeBoxes::set(SizeBox box, const std::string& text, bool typed) {
    std::string& current = box == SizeBox::Width ? width_ : height_;
    if (text == current) {
        return;
    }
    current = text;
    if (box == SizeBox::Width) {
        exchange_.widthChanged(*this, aspect_, locked_, typed);
    } else {
        exchange_.heightChanged(*this, aspect_, locked_, typed);
    }
}

} // namespace tovrel
