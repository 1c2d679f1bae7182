#pragma once
// The decoded row stores of chosen pictures that are not plain 24-bit BMP
// files, kept in the user's own cache folder. A store is named after the
// source file's identity and carries it (intake/store_identity.h): a changed
// or replaced source no longer matches its store.
//
// Any number of windows and batch runs share one cache. A store is written
// under an anonymous (or uniquely named) temporary, synced, and only then
// named. A process holds a shared lock on every store it uses; a store is
// removed (to keep under the cap, or when a process ends) only under an
// exclusive lock taken without waiting, so never while someone uses it.

#include "colour/colour_plan.h"
#include "common/status.h"
#include "intake/cache_folder.h"
#include "intake/row_store.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tovrel {

class PictureCache {
  public:
    static constexpr uint64_t kDefaultCap = 4ULL << 30;

    explicit PictureCache(std::filesystem::path folder, uint64_t capBytes = kDefaultCap)
        : folder_(std::move(folder)), cap_(capBytes) {}

    const std::filesystem::path& folder() const { return folder_; }

    // The colour settings pictures are decoded under: each picture's colours
    // go through its own profile (or the assigned one, or sRGB) into the
    // output's space as it is decoded. A picture of `brokenAsSrgb` whose
    // embedded profile is broken is taken as sRGB, as its user chose.
    void setColour(ColourPlan plan) { colour_ = std::move(plan); }
    const ColourPlan& colour() const { return colour_; }
    void takeAsSrgb(const std::filesystem::path& picture) { brokenAsSrgb_.insert(picture); }
    // The same for every picture (the batch tool's --broken-profile-as-srgb).
    void takeBrokenAsSrgb() { everyBrokenAsSrgb_ = true; }

    // A cache over the same folder that decodes pictures as a run without
    // output profile takes them: their own or the assigned profile into
    // sRGB, broken profiles taken as sRGB where this cache takes them so.
    PictureCache inSrgb() const;

    // The store of `source`: the existing one when it was made from the file
    // as it is now, else decoded now. The stores this cache holds and that
    // are not named in `inUse` are let go. Older stores nobody holds are
    // removed, oldest first, to keep the cache under its cap; a store the
    // disk has no room for is refused. Nothing is left behind on failure.
    Result<std::filesystem::path> storeFor(const std::filesystem::path& source,
                                           const std::vector<std::filesystem::path>& inUse,
                                           const DecodeProgress& progress = {}) const;

    // Lets go of every store not named in `keep`, and removes every store
    // not named there that nobody else holds, with the leftovers of decodes
    // that were killed: never one another window or run uses.
    void removeAllBut(const std::vector<std::filesystem::path>& keep) const;

  private:
    bool holdStore(const PosixFile& dir, const std::string& name, const StoreRecord& record) const;
    Status decodeInto(const PosixFile& dir, const std::filesystem::path& source,
                      const struct stat& before, const PosixFile& picture,
                      const StoreRecord& record, const std::string& name,
                      const DecodeProgress& progress) const;
    Status nameStore(const PosixFile& dir, PosixFile store, const std::string& temporary,
                     const std::string& name, const StoreRecord& record) const;
    Status makeRoom(const PosixFile& dir, int64_t bytes) const;

    uint64_t colourKey(const std::filesystem::path& source) const;

    std::filesystem::path folder_;
    uint64_t cap_;
    ColourPlan colour_;
    std::set<std::filesystem::path> brokenAsSrgb_;
    bool everyBrokenAsSrgb_ = false;
    bool brokenAsSrgb(const std::filesystem::path& source) const {
        return everyBrokenAsSrgb_ || brokenAsSrgb_.count(source) != 0;
    }
    // The stores this process holds: its own bookkeeping, not the cache's
    // content, so it changes under const calls.
    mutable std::map<std::string, PosixFile> held_;
};

} // namespace tovrel
