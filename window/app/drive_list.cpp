#include "app/drive_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace tovrel {

namespace {

QString entryText(const QStorageInfo& volume) {
    const QString root = QDir::toNativeSeparators(volume.rootPath());
    const QString name = volume.name();
    return name.isEmpty() ? root : QString("%1 [%2]").arg(root, name);
}

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    volumes.removeIf([](const QStorageInfo& v) { return !v.isValid() || !v.isReady(); });
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo& volume : volumes) {
        if (indexOfRoot(volume.rootPath()) < 0) {
            addItem(entryText(volume), volume.rootPath());
        }
    }
    setCurrentIndex(-1);
    connect(
        this, &QComboBox::activated, this,
        [this](int index) { choose(itemData(index).toString()); }, Qt::DirectConnection);
}

void DriveList::setPath(const QString& anywhere) {
    const QStorageInfo volume(QFileInfo(anywhere).absoluteFilePath());
    if (!volume.isValid()) {
        return;
    }
    if (indexOfRoot(volume.rootPath()) < 0) {
        addItem(entryText(volume), volume.rootPath());
    }
    choose(volume.rootPath());
}

void DriveList::choose(const QString& root) {
    setCurrentIndex(indexOfRoot(root));
    if (root != path_) {
        path_ = root;
        emit pathChanged();
    }
}

int DriveList::indexOfRoot(const QString& root) const {
    return findData(root);
}

} // namespace tovrel
