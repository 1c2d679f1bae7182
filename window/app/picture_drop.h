#pragma once
// Files dragged from a file manager (a list of URLs) and dropped anywhere on
// the window: over a preview, a list or a box alike.

#include <QStringList>
#include <functional>

class QWidget;

namespace tovrel {

// Takes drops of local files on the window and every control in it; dropped
// receives their paths, in the order they were dragged. Drags of anything
// else (text between boxes) go on as before.
void acceptPictureDrops(QWidget* window, std::function<void(const QStringList&)> dropped);

} // namespace tovrel
