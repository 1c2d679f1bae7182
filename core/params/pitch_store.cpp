#include "params/pitch_store.h"

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "params/posix_file.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace tovrel {

namespace {

constexpr std::size_t kEntrySize = 4;

Status failure(const std::string& what, const std::filesystem::path& path, int err,
               const std::string& after = "") {
    return Status::fail("无法" + what + " " + path.string() + "：" + systemErrorText(err) + "。" +
                        after);
}

float decodeEntry(const uint8_t* p) {
    const uint32_t bits =
        uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    return std::bit_cast<float>(bits);
}

std::array<uint8_t, kEntrySize> encodeEntry(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

// Removes what stands at the temporary file's name: a file or a link (never
// what it points to), or a folder that is empty. Returns 0 or the errno.
int removeLeftover(const std::filesystem::path& temp) {
    struct stat info;
    if (::lstat(temp.c_str(), &info) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    const int rc = S_ISDIR(info.st_mode) ? ::rmdir(temp.c_str()) : ::unlink(temp.c_str());
    return rc == 0 || errno == ENOENT ? 0 : errno;
}

// The absolute path p names once its links and dot-dots are resolved, as far
// as they exist; nothing when that cannot be told.
std::optional<std::filesystem::path> wherePathLeads(const std::filesystem::path& p) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(p, ec);
    if (ec) {
        return std::nullopt;
    }
    auto where = std::filesystem::weakly_canonical(absolute, ec);
    if (ec) {
        return std::nullopt;
    }
    return where;
}

// The data file opened after the presence test, known to hold the whole
// template. Bytes past the last whole entry are not counted.
struct DataFile {
    PosixFile file;
    struct stat info;
    std::size_t entries;

    off_t usedLength() const { return static_cast<off_t>(kTemplateSize + kEntrySize * entries); }
};

Result<DataFile> openDataFile(const PitchStore& store, int flags) {
    const auto path = store.dataPath();
    if (!store.present()) {
        return Status::fail(notFoundMessage());
    }
    DataFile data{PosixFile::open(path, flags), {}, 0};
    if (!data.file.isOpen()) {
        const int err = errno;
        if (err == ENOENT) {
            return Status::fail(notFoundMessage());
        }
        return failure("打开数据文件", path, err);
    }
    if (const int err = data.file.status(data.info)) {
        return failure("读取数据文件", path, err);
    }
    if (data.info.st_size < static_cast<off_t>(kTemplateSize)) {
        return Status::fail("数据文件 " + path.string() + " 已损坏：它只有 " +
                            std::to_string(data.info.st_size) +
                            " 字节，连 1448 字节的文件头模板都不完整。请把完好的 kvxj.dll "
                            "复制到该应用程序所在的文件夹。");
    }
    data.entries = static_cast<std::size_t>(data.info.st_size - kTemplateSize) / kEntrySize;
    if (data.entries > kMaxEntries) {
        return Status::fail("数据文件 " + path.string() + " 已损坏：它有 " +
                            std::to_string(data.info.st_size) + " 字节，而栅距列表最多只有 " +
                            std::to_string(kMaxEntries) +
                            " 项。请把完好的 kvxj.dll 复制到该应用程序所在的文件夹。");
    }
    // The data file is whole, so a leftover temporary file is only the
    // remains of an interrupted rewrite. Should it stay (a folder with
    // something in it, or no right to remove it), the operation still works.
    removeLeftover(store.tempPath());
    return data;
}

// Reads bytes [from, data.usedLength()) of the data file.
Result<std::vector<uint8_t>> readUsed(const PitchStore& store, const DataFile& data, off_t from) {
    std::vector<uint8_t> bytes(static_cast<std::size_t>(data.usedLength() - from));
    if (const int err = data.file.readAt(bytes.data(), bytes.size(), from)) {
        return failure("读取数据文件", store.dataPath(), err);
    }
    return bytes;
}

// Writes the complete new content to the temporary file and flushes it to
// disk, so that renaming it over the data file replaces the old content in one
// step, never leaving a moment without a whole data file.
// The new file gets the old one's owner and permissions.
Status writeTempFile(const PitchStore& store, const std::vector<uint8_t>& content,
                     const struct stat& old) {
    const auto temp = store.tempPath();
    const std::string unchanged = "数据文件 " + store.dataPath().string() + " 没有改变。";
    // A leftover from an interrupted run is replaced; it is never followed if
    // it is a link, so no other file can be overwritten through it.
    if (const int err = removeLeftover(temp)) {
        return failure("删除旧的临时文件", temp, err, unchanged);
    }
    const mode_t mode = old.st_mode & 07777;
    PosixFile file = PosixFile::open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (!file.isOpen()) {
        return failure("创建临时文件", temp, errno, unchanged);
    }
    // Only root can give a file away; anyone else keeps the new file as their
    // own (with the old group where they belong to it), and could write the
    // old one before as well.
    if (::fchown(file.fd(), old.st_uid, old.st_gid) != 0) {
        ::fchown(file.fd(), static_cast<uid_t>(-1), old.st_gid);
    }
    int err = ::fchmod(file.fd(), mode) == 0 ? 0 : errno;
    if (err == 0) {
        err = file.writeAt(content.data(), content.size(), 0);
    }
    if (err == 0) {
        err = file.sync();
    }
    if (err == 0) {
        err = file.close();
    }
    if (err != 0) {
        ::unlink(temp.c_str());
        return failure("写入临时文件", temp, err, unchanged);
    }
    return Status::ok();
}

} // namespace

PitchStore::PitchStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path PitchStore::dataPath() const {
    return folder_ / "kvxj.dll";
}

std::filesystem::path PitchStore::tempPath() const {
    return folder_ / "kvxj.dl~";
}

bool PitchStore::present() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(dataPath(), ec);
}

Result<std::vector<float>> PitchStore::load() const {
    auto data = openDataFile(*this, O_RDONLY);
    if (!data) {
        return data.status();
    }
    auto bytes = readUsed(*this, data.value(), static_cast<off_t>(kTemplateSize));
    if (!bytes) {
        return bytes.status();
    }
    std::vector<float> entries;
    entries.reserve(data.value().entries);
    for (std::size_t at = 0; at < bytes.value().size(); at += kEntrySize) {
        entries.push_back(decodeEntry(bytes.value().data() + at));
    }
    return entries;
}

Status PitchStore::removeAll(float value) {
    // Opened for writing although only read: a data file the user made
    // read-only is refused here, as an append to it would be.
    auto data = openDataFile(*this, O_RDWR);
    if (!data) {
        return data.status();
    }
    auto bytes = readUsed(*this, data.value(), 0);
    if (!bytes) {
        return bytes.status();
    }
    const std::vector<uint8_t>& old = bytes.value();
    // The template, then every whole entry that differs from value; a partial
    // entry at the end is not carried over.
    std::vector<uint8_t> kept(old.begin(), old.begin() + kTemplateSize);
    for (std::size_t at = kTemplateSize; at < old.size(); at += kEntrySize) {
        if (decodeEntry(old.data() + at) != value) {
            kept.insert(kept.end(), old.begin() + at, old.begin() + at + kEntrySize);
        }
    }
    return replaceContent(kept, data.value().info);
}

Status PitchStore::replaceContent(const std::vector<uint8_t>& content, const struct stat& old) {
    if (Status written = writeTempFile(*this, content, old); !written) {
        return written;
    }
    if (std::rename(tempPath().c_str(), dataPath().c_str()) != 0) {
        const int err = errno;
        ::unlink(tempPath().c_str());
        return Status::fail("无法用临时文件 " + tempPath().string() + " 替换数据文件 " +
                            dataPath().string() + "：" + systemErrorText(err) +
                            "。数据文件没有改变。");
    }
    // The new content is complete under the data file's name whether or not
    // the folder's own record reaches the disk now; nothing is left to undo.
    syncFolder(folder_);
    return Status::ok();
}

Status PitchStore::copyFrom(const PitchStore& source) {
    auto data = openDataFile(source, O_RDONLY);
    if (!data) {
        return data.status();
    }
    auto bytes = readUsed(source, data.value(), 0);
    if (!bytes) {
        return bytes.status();
    }
    return replaceContent(bytes.value(), data.value().info);
}

Status PitchStore::append(float value) {
    auto data = openDataFile(*this, O_RDWR);
    if (!data) {
        return data.status();
    }
    const DataFile& file = data.value();
    // Written right behind the last whole entry: a partial entry at the end
    // (at most 3 bytes) is overwritten, so entries never shift. Its bytes are
    // kept to put back should the write fail.
    const off_t end = file.usedLength();
    std::array<uint8_t, kEntrySize - 1> stray{};
    const auto strayCount = static_cast<std::size_t>(file.info.st_size - end);
    if (const int err = file.file.readAt(stray.data(), strayCount, end)) {
        return failure("读取数据文件", dataPath(), err);
    }
    const auto bytes = encodeEntry(value);
    int err = file.file.writeAt(bytes.data(), bytes.size(), end);
    if (err == 0) {
        err = file.file.sync();
    }
    if (err != 0) {
        file.file.truncate(file.info.st_size);
        file.file.writeAt(stray.data(), strayCount, end);
        return failure("把栅距写入数据文件", dataPath(), err, "数据文件没有改变。");
    }
    return Status::ok();
}

Result<TiffTemplate> PitchStore::readTemplate() const {
    auto data = openDataFile(*this, O_RDONLY);
    if (!data) {
        return data.status();
    }
    TiffTemplate tmpl;
    if (const int err = data.value().file.readAt(tmpl.data(), tmpl.size(), 0)) {
        return failure("读取数据文件", dataPath(), err);
    }
    return tmpl;
}

Status PitchStore::checkOutputPath(const std::filesystem::path& out) const {
    const auto where = wherePathLeads(out);
    for (const auto& own : {dataPath(), tempPath()}) {
        std::error_code ec;
        // The same name, or another name (a hard link) for the same file.
        if ((where && where == wherePathLeads(own)) || std::filesystem::equivalent(out, own, ec)) {
            return Status::fail("输出文件 " + out.string() + " 是本程序自己的数据文件 " +
                                own.filename().string() +
                                "，不能用作输出文件。请换一个输出文件名。");
        }
    }
    return Status::ok();
}

std::string notFoundMessage() {
    const char* const lines[] = {
        "kvxj.dll 没有找到。",
        "    请复制 kvxj.dll 到该应用程序所在的文件夹。",
        "",
        "Tovrel 光栅变图软件",
        "",
        "kvxj.dll 随本软件一同提供，",
        "可从安装包中重新复制；",
        "如仍有问题，请联系本软件的提供者。",
    };
    std::string text = lines[0];
    for (std::size_t i = 1; i < std::size(lines); ++i) {
        text += '\r';
        text += lines[i];
    }
    return text;
}

std::string pitchItemText(float entry) {
    return formatSingle(entry);
}

bool pitchListed(const std::vector<float>& entries, float pitch) {
    for (float entry : entries) {
        if (toSingle(leadingNumber(pitchItemText(entry))) == pitch || entry == pitch) {
            return true;
        }
    }
    return false;
}

} // namespace tovrel
