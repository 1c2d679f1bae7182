#include "app/file_list.h"

#include "app/folder_access.h"
#include "job/file_pick.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

namespace tovrel {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, &FileList::fileClicked, Qt::DirectConnection);
}

QStringList FileList::patterns() {
    QStringList out;
    for (std::string_view ext : kPictureExtensions) {
        out << "*" + QString::fromLatin1(ext.data(), static_cast<qsizetype>(ext.size()));
    }
    return out;
}

bool FileList::setPath(const QString& folder) {
    const QString wanted = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString problem = folderListingProblem(wanted);
    if (!problem.isEmpty()) {
        emit listingFailed(problem);
        return false;
    }
    const bool changed = wanted != path_;
    path_ = wanted;
    fill();
    if (changed) {
        emit pathChanged();
    }
    return true;
}

void FileList::fill() {
    clear();
    // Name filters of QDir ignore case unless told otherwise.
    addItems(QDir(path_).entryList(patterns(), QDir::Files, QDir::Name | QDir::IgnoreCase));
    setCurrentRow(-1);
}

QString FileList::fileName() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) {
        emit fileClicked();
    }
}

} // namespace tovrel
