#include "app/picture_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace tovrel {

namespace {

QStringList localFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

class PictureDrop : public QObject {
  public:
    PictureDrop(QObject* parent, std::function<void(const QStringList&)> dropped)
        : QObject(parent), dropped_(std::move(dropped)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (localFiles(drag->mimeData()).isEmpty()) {
                return false;
            }
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = localFiles(drop->mimeData());
            if (files.isEmpty()) {
                return false;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            dropped_(files);
            return true;
        }
        default:
            return false;
        }
    }

  private:
    std::function<void(const QStringList&)> dropped_;
};

} // namespace

void acceptPictureDrops(QWidget* window, std::function<void(const QStringList&)> dropped) {
    auto* filter = new PictureDrop(window, std::move(dropped));
    window->setAcceptDrops(true);
    window->installEventFilter(filter);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->installEventFilter(filter);
    }
}

} // namespace tovrel
