#pragma once
// The decoded row stores of chosen pictures that are not plain 24-bit BMP
// files, kept in a cache folder and named after the source file's path, size
// and modification time: a changed source file no longer matches its store.

#include "common/status.h"
#include "intake/row_store.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrel {

// $XDG_CACHE_HOME/tovrel, else $HOME/.cache/tovrel (arguments may be null).
std::filesystem::path cacheFolderFrom(const char* xdgCacheHome, const char* home);

// The name of the store of the source file as it is now; nothing when the
// file cannot be examined.
std::optional<std::string> storeName(const std::filesystem::path& source);

class PictureCache {
  public:
    static constexpr uint64_t kDefaultCap = 4ULL << 30;

    explicit PictureCache(std::filesystem::path folder, uint64_t capBytes = kDefaultCap)
        : folder_(std::move(folder)), cap_(capBytes) {}

    const std::filesystem::path& folder() const { return folder_; }

    // The store of `source`: the existing one when it matches the file, else
    // decoded now. Older stores not named in `inUse` are removed, oldest
    // first, to keep the cache under its cap; a store the disk has no room
    // for is refused. Nothing is left behind on failure.
    Result<std::filesystem::path> storeFor(const std::filesystem::path& source,
                                           const std::vector<std::filesystem::path>& inUse,
                                           const DecodeProgress& progress = {}) const;

    // Removes every store not named in `keep`, and any unfinished one.
    void removeAllBut(const std::vector<std::filesystem::path>& keep) const;

  private:
    Status makeRoom(int64_t bytes, const std::vector<std::filesystem::path>& inUse) const;

    std::filesystem::path folder_;
    uint64_t cap_;
};

} // namespace tovrel
