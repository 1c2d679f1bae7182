#pragma once
// The window's two typefaces, 黑体 and 宋体, falling back to the CJK fonts
// installed on the machine where those families are absent.

#include <QFont>

namespace tovrel {

QFont heiFont(double pointSize);
QFont songFont(double pointSize, bool bold = false);

} // namespace tovrel
