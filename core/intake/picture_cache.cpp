#include "intake/picture_cache.h"

#include "colour/colour_rows.h"

#include "intake/picture_file.h"
#include "intake/picture_message.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <random>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrel {

namespace {

constexpr const char* kStoreExtension = ".bmp";
constexpr const char* kPartExtension = ".part";
// Room the disk keeps beyond a new store, for the output and everything else.
constexpr int64_t kDiskReserve = 64LL << 20;

bool endsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string megabytes(int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

Status cacheWriteFailed(int err, const fs::path& where) {
    return Status::fail("无法写入解码缓存：" + systemErrorText(err) + "。\n" + where.string());
}

int lock(const PosixFile& f, int how) {
    int r;
    do {
        r = ::flock(f.fd(), how);
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
}

PosixFile openIn(const PosixFile& dir, const std::string& name) {
    return PosixFile(
        ::openat(dir.fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

// Removes the file `name` when nobody holds it: only under an exclusive
// lock taken without waiting, and only if the name still is that file.
bool takeFile(const PosixFile& dir, const std::string& name) {
    PosixFile f = openIn(dir, name);
    struct stat held {
    }, named{};
    return f.isOpen() && ::flock(f.fd(), LOCK_EX | LOCK_NB) == 0 && f.status(held) == 0 &&
           ::fstatat(dir.fd(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino &&
           ::unlinkat(dir.fd(), name.c_str(), 0) == 0;
}

struct Entry {
    std::string name;
    timespec time;
    int64_t size;
    bool part;
};

// The stores and unfinished stores in the folder, oldest first.
std::vector<Entry> entriesIn(const PosixFile& dir) {
    std::vector<Entry> out;
    const int fd = ::fcntl(dir.fd(), F_DUPFD_CLOEXEC, 0);
    DIR* d = fd < 0 ? nullptr : ::fdopendir(fd);
    if (d == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return out;
    }
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const bool part = endsWith(name, kPartExtension);
        struct stat st {};
        if ((part || endsWith(name, kStoreExtension)) &&
            ::fstatat(dir.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            out.push_back({name, st.st_mtim, st.st_size, part});
        }
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return a.time.tv_sec != b.time.tv_sec ? a.time.tv_sec < b.time.tv_sec
                                              : a.time.tv_nsec < b.time.tv_nsec;
    });
    return out;
}

// A new file for a store, held under a shared lock from its start: anonymous
// (O_TMPFILE), which disappears by itself if the process is killed; where the
// file system has none, a unique random name that the next process removes
// once nobody holds it. `name` is left empty for an anonymous file.
Result<PosixFile> newTemporary(const PosixFile& dir, const std::string& stem, std::string& name) {
    name.clear();
    PosixFile f(::openat(dir.fd(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (f.isOpen()) {
        if (int err = lock(f, LOCK_SH); err != 0) {
            return Status::fail("无法锁定解码缓存：" + systemErrorText(err) + "。");
        }
        return f;
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x%08x", random(), random());
        name = stem + suffix + kPartExtension;
        f = PosixFile(::openat(dir.fd(), name.c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!f.isOpen() && errno == EEXIST) {
            continue;
        }
        if (!f.isOpen()) {
            return Status::fail("无法建立解码缓存文件：" + systemErrorText(errno) + "。");
        }
        struct stat st {};
        // Another process may have taken it for a leftover before it was locked.
        if (lock(f, LOCK_SH) == 0 && f.status(st) == 0 && st.st_nlink > 0) {
            return f;
        }
    }
    name.clear();
    return Status::fail("无法建立解码缓存文件：找不到未被占用的文件名。");
}

// A scratch file that disappears with its descriptor.
Result<PosixFile> anonymousFile(const PosixFile& dir) {
    std::string name;
    Result<PosixFile> f = newTemporary(dir, "scratch", name);
    if (f && !name.empty()) {
        ::unlinkat(dir.fd(), name.c_str(), 0);
    }
    return f;
}

// Lets a test stop a decode midway, to meet other processes there: with
// TOVREL_DECODE_PAUSE naming a folder, the decode of picture N announces
// itself with a file "N.<process id>" there and goes on once "N.go" exists.
void pauseForTests(const fs::path& source) {
    const char* folder = std::getenv("TOVREL_DECODE_PAUSE");
    if (folder == nullptr || folder[0] == '\0') {
        return;
    }
    const fs::path at(folder);
    const std::string name = source.filename().string();
    PosixFile::open(at / (name + "." + std::to_string(::getpid())), O_WRONLY | O_CREAT, 0600);
    std::error_code ec;
    while (!fs::exists(at / (name + ".go"), ec)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool sameState(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

bool PictureCache::holdStore(const PosixFile& dir, const std::string& name,
                             const StoreRecord& record) const {
    PosixFile f = openIn(dir, name);
    struct stat st {};
    // The lock waits for a remover that has the store, which then is gone.
    if (!f.isOpen() || lock(f, LOCK_SH) != 0 || f.status(st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_nlink == 0 || !storeCarries(f, record)) {
        return false;
    }
    // Used again: the newest, so the last to be removed for room.
    ::futimens(f.fd(), nullptr);
    held_[name] = std::move(f);
    return true;
}

Status PictureCache::makeRoom(const PosixFile& dir, int64_t bytes) const {
    std::vector<Entry> entries = entriesIn(dir);
    uint64_t total = 0;
    for (Entry& e : entries) {
        // Unfinished stores nobody holds are what killed decodes left.
        if (e.part && takeFile(dir, e.name)) {
            e.size = 0;
        }
        total += uint64_t(e.size);
    }
    for (const Entry& e : entries) {
        if (total + uint64_t(bytes) <= cap_) {
            break;
        }
        if (!e.part && e.size > 0 && takeFile(dir, e.name)) {
            total -= uint64_t(e.size);
        }
    }
    if (total + uint64_t(bytes) > cap_) {
        return Status::fail("解码缓存已满：这张图片解码后需要 " + megabytes(bytes) +
                            "，正在使用的其他解码缓存已占用 " + megabytes(int64_t(total)) +
                            "，上限为 " + megabytes(int64_t(cap_)) + "。");
    }
    struct statvfs space {};
    if (::fstatvfs(dir.fd(), &space) == 0) {
        const auto available = int64_t(space.f_bavail) * int64_t(space.f_frsize);
        if (available < bytes + kDiskReserve) {
            return Status::fail("磁盘空间不足：这张图片解码后需要 " + megabytes(bytes) +
                                "，缓存文件夹所在磁盘只剩 " + megabytes(available) + "。\n" +
                                folder_.string());
        }
    }
    return Status::ok();
}

Status PictureCache::nameStore(const PosixFile& dir, PosixFile store, const std::string& temporary,
                               const std::string& name, const StoreRecord& record) const {
    const auto link = [&] {
        const int r =
            temporary.empty()
                ? ::linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(store.fd())).c_str(),
                           dir.fd(), name.c_str(), AT_SYMLINK_FOLLOW)
                : ::linkat(dir.fd(), temporary.c_str(), dir.fd(), name.c_str(), 0);
        return r == 0 ? 0 : errno;
    };
    int err = link();
    bool ours = err == 0;
    if (err == EEXIST) {
        // Another process made the same store meanwhile: use it. A broken one
        // nobody holds is replaced.
        if (holdStore(dir, name, record)) {
            err = 0;
        } else if (takeFile(dir, name)) {
            err = link();
            ours = err == 0;
        }
    }
    if (!temporary.empty()) {
        ::unlinkat(dir.fd(), temporary.c_str(), 0);
    }
    if (err != 0) {
        return cacheWriteFailed(err, folder_ / name);
    }
    if (ours) {
        if (::fsync(dir.fd()) != 0) {
            const int syncErr = errno;
            ::unlinkat(dir.fd(), name.c_str(), 0);
            return cacheWriteFailed(syncErr, folder_ / name);
        }
        held_[name] = std::move(store);
    }
    return Status::ok();
}

Status PictureCache::decodeInto(const PosixFile& dir, const fs::path& source,
                                const struct stat& before, const PosixFile& picture,
                                const StoreRecord& record, const std::string& name,
                                const DecodeProgress& progress) const {
    const int32_t px = colour_.output.bytes();
    Result<std::unique_ptr<PictureDecoder>> decoder = openPicture(source, picture, px);
    if (!decoder) {
        return decoder.status();
    }
    const PictureInfo& info = decoder.value()->info();
    const Result<PictureColour> colour =
        PictureColour::make(colour_, info.profile, source, brokenAsSrgb(source));
    if (!colour) {
        return colour.status();
    }
    const int64_t bytes =
        RowStoreWriter::storeBytes(info, px) + RowStoreWriter::scratchBytes(info, px);
    if (Status room = makeRoom(dir, bytes); !room) {
        return room;
    }
    std::string temporary;
    Result<PosixFile> file = newTemporary(dir, name, temporary);
    if (!file) {
        return file.status();
    }
    Result<PosixFile> scratch = swapsSides(info.orientation) ? anonymousFile(dir) : PosixFile();
    if (!scratch) {
        if (!temporary.empty()) {
            ::unlinkat(dir.fd(), temporary.c_str(), 0);
        }
        return scratch.status();
    }
    RowStoreWriter writer(std::move(file.value()), std::move(scratch.value()), info, record,
                          progress, px);
    Status done = writer.begin();
    if (done) {
        pauseForTests(source);
        if (colour.value().identity()) {
            done = decoder.value()->decode(writer);
        } else {
            ColourRows converted(colour.value(), writer, info.width);
            done = decoder.value()->decode(converted);
            if (done) {
                done = converted.finish();
            }
        }
    }
    if (done) {
        done = writer.finish();
    }
    struct stat after {};
    if (done && (picture.status(after) != 0 || !sameState(before, after))) {
        done = refusePicture(source, "图片在解码时被修改了，请稍后重新选择它");
    }
    if (!done) {
        if (!temporary.empty()) {
            ::unlinkat(dir.fd(), temporary.c_str(), 0);
        }
        return done;
    }
    return nameStore(dir, writer.release(), temporary, name, record);
}

Result<fs::path> PictureCache::storeFor(const fs::path& source, const std::vector<fs::path>& inUse,
                                        const DecodeProgress& progress) const {
    Result<OpenPicture> picture = openPictureFile(source);
    if (!picture) {
        return picture.status();
    }
    const StoreRecord record = storeRecord(picture.value().status, source);
    const std::string name = storeNameOf(record, colourKey(source));
    for (auto it = held_.begin(); it != held_.end();) {
        const bool used = it->first == name ||
                          std::any_of(inUse.begin(), inUse.end(),
                                      [&](const fs::path& p) { return p.filename() == it->first; });
        it = used ? std::next(it) : held_.erase(it);
    }
    Result<PosixFile> dir = openCacheFolder(folder_, true);
    if (!dir) {
        return dir.status();
    }
    if (holdStore(dir.value(), name, record)) {
        return folder_ / name;
    }
    try {
        if (Status made = decodeInto(dir.value(), source, picture.value().status,
                                     picture.value().file, record, name, progress);
            !made) {
            return made;
        }
    } catch (const std::bad_alloc&) {
        return refusePicture(source, "内存不足，无法解码这张图片");
    }
    return folder_ / name;
}

PictureCache PictureCache::inSrgb() const {
    PictureCache srgb(folder_, cap_);
    srgb.colour_ = colour_;
    srgb.colour_.settings.outputProfile.clear();
    srgb.colour_.output = OutputColour{};
    srgb.brokenAsSrgb_ = brokenAsSrgb_;
    srgb.everyBrokenAsSrgb_ = everyBrokenAsSrgb_;
    return srgb;
}

// Everything that changes a store's pixels besides the picture itself.
uint64_t PictureCache::colourKey(const std::filesystem::path& source) const {
    if (!colour_.converts() && !brokenAsSrgb(source)) {
        return 0;
    }
    uint64_t h = kFnvStart;
    const auto add = [&h](const void* data, std::size_t size) { h = fnv1a(h, data, size); };
    for (const std::vector<uint8_t>* bytes : {&colour_.input, &colour_.output.profile}) {
        const uint64_t size = bytes->size();
        add(&size, sizeof size);
        add(bytes->data(), bytes->size());
    }
    const uint8_t flags[3] = {uint8_t(colour_.settings.intent),
                              uint8_t(colour_.settings.blackPointCompensation),
                              uint8_t(brokenAsSrgb(source))};
    add(flags, sizeof flags);
    return h == 0 ? 1 : h;
}

void PictureCache::removeAllBut(const std::vector<fs::path>& keep) const {
    const auto kept = [&](const std::string& name) {
        return std::any_of(keep.begin(), keep.end(),
                           [&](const fs::path& p) { return p.filename() == name; });
    };
    for (auto it = held_.begin(); it != held_.end();) {
        it = kept(it->first) ? std::next(it) : held_.erase(it);
    }
    Result<PosixFile> dir = openCacheFolder(folder_, false);
    if (!dir) {
        return;
    }
    // What another process holds stays: its window or run still uses it.
    for (const Entry& e : entriesIn(dir.value())) {
        if (e.part || !kept(e.name)) {
            takeFile(dir.value(), e.name);
        }
    }
}

} // namespace tovrel
