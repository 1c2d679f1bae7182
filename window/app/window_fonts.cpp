#include "app/window_fonts.h"

#include <QStringList>

namespace tovrel {

namespace {

// Common CJK fonts of Linux desktops; WenQuanYi Zen Hei is what the build
// scripts install.
const QStringList& fallbacks() {
    static const QStringList families{"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Zen Hei",
                                      "WenQuanYi Micro Hei", "AR PL UMing CN"};
    return families;
}

QFont makeFont(const QStringList& preferred, double pointSize, bool bold) {
    QFont font;
    font.setFamilies(preferred + fallbacks());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferMatch);
    return font;
}

} // namespace

QFont heiFont(double pointSize) {
    return makeFont({"SimHei", "黑体"}, pointSize, false);
}

QFont songFont(double pointSize, bool bold) {
    return makeFont({"SimSun", "宋体", "NSimSun", "Noto Serif CJK SC"}, pointSize, bold);
}

} // namespace tovrel
