#include "intake/picture_cache.h"

#include "intake/picture_message.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrel {

namespace {

constexpr const char* kStoreExtension = ".bmp";
constexpr const char* kPartExtension = ".part";
// Room the disk keeps beyond a new store, for the output and everything else.
constexpr int64_t kDiskReserve = 64LL << 20;

uint64_t fnv1a(uint64_t h, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        h = (h ^ p[i]) * 0x100000001B3ULL;
    }
    return h;
}

bool named(const fs::path& file, const std::vector<fs::path>& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](const fs::path& p) { return p.filename() == file.filename(); });
}

std::string megabytes(int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

struct Entry {
    fs::path path;
    fs::file_time_type time;
    uintmax_t size;
};

std::vector<Entry> storesIn(const fs::path& folder) {
    std::vector<Entry> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == kStoreExtension && it->is_regular_file(ec)) {
            out.push_back({it->path(), it->last_write_time(ec), it->file_size(ec)});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Entry& a, const Entry& b) { return a.time < b.time; });
    return out;
}

} // namespace

fs::path cacheFolderFrom(const char* xdgCacheHome, const char* home) {
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/') {
        return fs::path(xdgCacheHome) / "tovrel";
    }
    return fs::path(home != nullptr && home[0] != '\0' ? home : "/tmp") / ".cache" / "tovrel";
}

std::optional<std::string> storeName(const fs::path& source) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(source, ec);
    struct stat st {};
    if (ec || ::stat(absolute.c_str(), &st) != 0) {
        return std::nullopt;
    }
    uint64_t h = 0xCBF29CE484222325ULL;
    h = fnv1a(h, absolute.c_str(), absolute.native().size() + 1);
    const int64_t stamp[3] = {st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    h = fnv1a(h, stamp, sizeof stamp);
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(h));
    return std::string(name) + kStoreExtension;
}

Status PictureCache::makeRoom(int64_t bytes, const std::vector<fs::path>& inUse) const {
    std::vector<Entry> stores = storesIn(folder_);
    uint64_t total = 0;
    for (const Entry& e : stores) {
        total += e.size;
    }
    for (const Entry& e : stores) {
        if (total + uint64_t(bytes) <= cap_) {
            break;
        }
        std::error_code ec;
        if (!named(e.path, inUse) && fs::remove(e.path, ec)) {
            total -= e.size;
        }
    }
    if (total + uint64_t(bytes) > cap_) {
        return Status::fail("解码缓存已满：这张图片解码后需要 " + megabytes(bytes) +
                            "，其他已选图片已占用 " + megabytes(int64_t(total)) + "，上限为 " +
                            megabytes(int64_t(cap_)) + "。");
    }
    std::error_code ec;
    const fs::space_info space = fs::space(folder_, ec);
    if (!ec && int64_t(space.available) < bytes + kDiskReserve) {
        return Status::fail("磁盘空间不足：这张图片解码后需要 " + megabytes(bytes) +
                            "，缓存文件夹所在磁盘只剩 " + megabytes(int64_t(space.available)) +
                            "。\n" + folder_.string());
    }
    return Status::ok();
}

Result<fs::path> PictureCache::storeFor(const fs::path& source, const std::vector<fs::path>& inUse,
                                        const DecodeProgress& progress) const {
    const std::optional<std::string> name = storeName(source);
    if (!name) {
        return Status::fail("无法打开图片文件" + quotedPath(source) + "。");
    }
    const fs::path store = folder_ / *name;
    std::error_code ec;
    if (fs::is_regular_file(store, ec)) {
        // Used again: the newest, so the last to be removed for room.
        fs::last_write_time(store, fs::file_time_type::clock::now(), ec);
        return store;
    }
    Result<std::unique_ptr<PictureDecoder>> decoder = openPicture(source);
    if (!decoder) {
        return decoder.status();
    }
    const PictureInfo& info = decoder.value()->info();
    fs::create_directories(folder_, ec);
    if (!fs::is_directory(folder_, ec)) {
        return Status::fail("无法建立解码缓存文件夹：" + folder_.string());
    }
    const int64_t bytes = RowStoreWriter::storeBytes(info) + RowStoreWriter::scratchBytes(info);
    if (Status room = makeRoom(bytes, inUse); !room) {
        return room;
    }
    const fs::path part = fs::path(store).replace_extension(kPartExtension);
    PosixFile file = PosixFile::open(part, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (!file.isOpen()) {
        return Status::fail("无法写入解码缓存：" + systemErrorText(errno) + "。\n" + part.string());
    }
    PosixFile scratch;
    if (swapsSides(info.orientation)) {
        // Unlinked at once: it disappears with its descriptor, whatever happens.
        scratch = PosixFile::open(folder_, O_RDWR | O_TMPFILE, 0600);
    }
    RowStoreWriter writer(std::move(file), std::move(scratch), info, progress);
    Status done = writer.begin();
    if (done) {
        done = decoder.value()->decode(writer);
    }
    if (done) {
        done = writer.finish();
    }
    if (!done) {
        fs::remove(part, ec);
        return done;
    }
    fs::rename(part, store, ec);
    if (ec) {
        fs::remove(part, ec);
        return Status::fail("无法写入解码缓存：" + ec.message() + "\n" + store.string());
    }
    return store;
}

void PictureCache::removeAllBut(const std::vector<fs::path>& keep) const {
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        const bool store = p.extension() == kStoreExtension;
        if ((store && !named(p, keep)) || p.extension() == kPartExtension) {
            std::error_code ignored;
            fs::remove(p, ignored);
        }
    }
}

} // namespace tovrel
