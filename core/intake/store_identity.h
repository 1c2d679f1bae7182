#pragma once
// Which file, in which state, a decoded store was made from: its device,
// inode, size, modification and change times to the nanosecond, and its path.
// A store is named after this identity and carries it in a record after its
// rows, so it is used only while the picture is the very file it was decoded
// from, unchanged: a copy with the same size and times (cp -p, rsync -a)
// has another inode or change time. Nothing is hashed but these few numbers.

#include "params/posix_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace tovrel {

constexpr int64_t kStoreRecordBytes = 80;
using StoreRecord = std::array<uint8_t, kStoreRecordBytes>;

// The record of the file `st` describes, found at `path` (made absolute).
StoreRecord storeRecord(const struct stat& st, const std::filesystem::path& path);

// The store's file name for a record: 16 hex digits and ".bmp".
// colourKey (not 0) tells stores of the same picture decoded under
// different colour settings apart: "-" and 16 more hex digits.
std::string storeNameOf(const StoreRecord& record, uint64_t colourKey = 0);

// FNV-1a over bytes, from h (kFnvStart to begin).
inline constexpr uint64_t kFnvStart = 0xCBF29CE484222325ULL;
uint64_t fnv1a(uint64_t h, const void* data, size_t size);

// Whether the store file carries `record` right after the rows its header
// gives, and ends there.
bool storeCarries(const PosixFile& store, const StoreRecord& record);

// At a run: whether the store still belongs to `source` as it is now;
// nothing when the source cannot be examined.
std::optional<bool> storeBelongsTo(const PosixFile& store, const std::filesystem::path& source);

} // namespace tovrel
