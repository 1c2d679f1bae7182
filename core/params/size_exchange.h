#pragma once
// The print width and height boxes answering each other's changes: the 300 cm
// cap on the width, the proportion lock, and the guard that ends the exchange.
// The window's boxes and the batch tool's plain texts both run it, so both
// arrive at the same sizes.

#include <optional>
#include <string>

namespace tovrel {

// Two size boxes. Setting a text that differs from the box's runs that box's
// change handling at once, nested; setting the same text is no change.
class SizeBoxes {
  public:
    virtual ~SizeBoxes() = default;
    virtual std::string width() const = 0;
    virtual std::string height() const = 0;
    virtual void setWidth(const std::string& text) = 0;
    virtual void setHeight(const std::string& text) = 0;
};

enum class SizeBox { Width, Height };

class SizeExchange {
  public:
    // The change handling of the width box and of the height box. aspect: the
    // common frame's width / height, 0 before there is a frame; locked: the
    // proportion lock. typed: the change is the user's own edit of the box.
    // Returns false when there is no frame yet and nothing was done.
    //
    // The exchange a typed change starts never writes back into the typed box
    // (the answer would only round the user's value and move the caret), unless
    // the typed value takes the width beyond the cap: then both boxes follow the
    // capped width.
    bool widthChanged(SizeBoxes& boxes, float aspect, bool locked, bool typed);
    bool heightChanged(SizeBoxes& boxes, float aspect, bool locked, bool typed);

  private:
    class Scope;
    bool mayWrite(SizeBox box) const;

    int depth_ = 0;                   // handlers running, one inside the other
    std::optional<SizeBox> typedBox_; // the box whose typed change runs the exchange
    bool capped_ = false;             // that exchange met the width cap
};

// Two boxes as plain texts that start with their labels, as in a fresh window:
// what the batch tool fills in as the window's user would.
class TextSizeBoxes : public SizeBoxes {
  public:
    TextSizeBoxes(float aspect, bool locked);

    std::string width() const override { return width_; }
    std::string height() const override { return height_; }
    // Texts set by the program.
    void setWidth(const std::string& text) override;
    void setHeight(const std::string& text) override;
    // Texts the user types over a box's whole text.
    void typeWidth(const std::string& text);
    void typeHeight(const std::string& text);

  private:
    void set(SizeBox box, const std::string& text, bool typed);

    float aspect_;
    bool locked_;
    std::string width_;
    std::string height_;
    SizeExchange exchange_;
};

} // namespace tovrel
