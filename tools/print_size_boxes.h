#pragma once
// The print width and height boxes of the window, as their change handlers
// keep them: setting a text that differs from the box's runs that box's
// handling at once, nested, so that with the proportion lock on width and
// height answer each other until neither changes. The batch tool works out
// its print size with them, so that it gets the window's numbers.

#include <string>

namespace tovrel {

class PrintSizeBoxes {
  public:
    // aspect: the common frame's width / height. Both boxes start with their
    // labels, as in a fresh window.
    PrintSizeBoxes(float aspect, bool locked);

    void setWidth(const std::string& text);
    void setHeight(const std::string& text);
    const std::string& width() const { return width_; }
    const std::string& height() const { return height_; }

  private:
    void widthChanged();
    void heightChanged();

    float aspect_;
    bool locked_;
    std::string width_;
    std::string height_;
    int depth_ = 0; // handlers running, one inside the other
};

} // namespace tovrel
