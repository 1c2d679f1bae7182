#include "app/folder_list.h"

#include "app/folder_access.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace tovrel {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString absoluteFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// The folder and every folder above it, the root first.
QStringList chainFromRoot(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (!dir.isRoot() && dir.cdUp()) {
        chain.prepend(dir.absolutePath());
    }
    return chain;
}

QString entryName(const QString& folder) {
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::open, Qt::DirectConnection);
}

bool FolderList::setPath(const QString& folder) {
    const QString wanted = absoluteFolder(folder);
    const QString problem = folderListingProblem(wanted);
    if (!problem.isEmpty()) {
        emit listingFailed(problem);
        return false;
    }
    if (wanted == path_) {
        return true;
    }
    path_ = wanted;
    fill();
    emit pathChanged();
    return true;
}

void FolderList::fill() {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = chainFromRoot(path_);
    auto add = [this](const QString& folder, int depth, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, QString(2 * depth, ' ') + entryName(folder), this);
        item->setData(kPathRole, folder);
        return item;
    };
    QListWidgetItem* current = nullptr;
    for (int depth = 0; depth < chain.size(); ++depth) {
        current = add(chain[depth], depth, openIcon);
    }
    const QFileInfoList subfolders =
        QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& sub : subfolders) {
        add(sub.absoluteFilePath(), static_cast<int>(chain.size()), closedIcon);
    }
    setCurrentItem(current);
}

void FolderList::open(QListWidgetItem* item) {
    if (item != nullptr) {
        setPath(item->data(kPathRole).toString());
    }
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace tovrel
