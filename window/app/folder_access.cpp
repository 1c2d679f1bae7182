#include "app/folder_access.h"

#include <QDir>
#include <QFileInfo>

namespace tovrel {

QString folderListingProblem(const QString& folder) {
    const QFileInfo info(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    if (!info.exists() || !info.isDir()) {
        return QString("文件夹“%1”不存在。").arg(shown);
    }
    if (!info.isReadable() || !info.isExecutable()) {
        return QString("无法打开文件夹“%1”：没有读取权限。").arg(shown);
    }
    return {};
}

} // namespace tovrel
