#include "intake/cache_folder.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrel {

namespace {

Status unusable(const fs::path& folder, const std::string& reason) {
    return Status::fail("解码缓存文件夹“" + folder.string() + "”不能使用：" + reason +
                        "。图片未被采用。");
}

// Makes the folder and its missing parents, each mode 0700.
int makeFolders(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
        return 0;
    }
    if (errno != ENOENT || !folder.has_relative_path() || folder.parent_path() == folder) {
        return errno;
    }
    if (int err = makeFolders(folder.parent_path()); err != 0) {
        return err;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace

fs::path cacheFolderFrom(const char* xdgCacheHome, const char* home) {
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/') {
        return fs::path(xdgCacheHome) / "tovrel";
    }
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') {
        return {};
    }
    return fs::path(home) / ".cache" / "tovrel";
}

Result<PosixFile> openCacheFolder(const fs::path& folder, bool create) {
    if (folder.empty()) {
        return Status::fail("找不到用户的主文件夹，无法建立解码缓存：请设置 HOME 或 "
                            "XDG_CACHE_HOME。图片未被采用。");
    }
    if (create) {
        if (int err = makeFolders(folder); err != 0) {
            return unusable(folder, "无法建立（" + systemErrorText(err) + "）");
        }
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return unusable(folder, systemErrorText(errno));
    }
    if (S_ISLNK(st.st_mode)) {
        return unusable(folder, "它是一个链接，不是用户自己的文件夹");
    }
    PosixFile dir = PosixFile::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (!dir.isOpen()) {
        return unusable(folder,
                        errno == ENOTDIR ? std::string("它不是文件夹") : systemErrorText(errno));
    }
    if (int err = dir.status(st); err != 0) {
        return unusable(folder, systemErrorText(err));
    }
    if (st.st_uid != ::geteuid()) {
        return unusable(folder, "它属于其他用户");
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return unusable(folder, "其他用户也可以写入它（请把权限改为 700）");
    }
    return dir;
}

} // namespace tovrel
