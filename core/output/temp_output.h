#pragma once
// The file a run writes into: a new file beside the output path that takes
// the output's place only when the run has succeeded, so a failed run never
// destroys an earlier file there.
//
// Its name is ".<output name>.<16 hex digits>.tovrel.tmp", and the run holds
// an exclusive flock on it for as long as it lives. A run that is killed
// leaves its file behind, unlocked; the next run that gets as far as making
// its own file in that folder removes every such file it can lock, never one
// another run still holds. It does so first: a leftover of a large run may
// hold the very room the new run needs.

#include "common/status.h"
#include "params/posix_file.h"

#include <filesystem>
#include <string_view>

namespace tovrel {

class TempOutput {
  public:
    // Removes the leftovers of killed runs from target's folder, then creates
    // an empty, locked file with a fresh name there. The failure message says
    // the folder cannot be written.
    static Result<TempOutput> create(const std::filesystem::path& target);

    TempOutput(TempOutput&& other) noexcept;
    TempOutput& operator=(TempOutput&&) = delete;
    TempOutput(const TempOutput&) = delete;
    ~TempOutput(); // removes the file unless committed

    const std::filesystem::path& path() const { return path_; }

    // Renames the file over the target (its data must be synced already),
    // syncs the folder, so the new name survives a crash, and removes the
    // files runs killed meanwhile left in the folder.
    Status commit();

  private:
    TempOutput(std::filesystem::path path, std::filesystem::path target, PosixFile lock);
    std::filesystem::path path_;
    std::filesystem::path target_;
    PosixFile lock_; // holds the flock while the run lasts
    bool pending_ = true;
};

// Whether a file name has the form of a run's temporary file.
bool isRunTemporaryName(std::string_view name);

// Removes from folder the ordinary files named like a run's temporary file
// that no running run holds locked. Links, folders and files that cannot be
// opened or locked stay. Returns how many were removed.
int removeStaleTemporaries(const std::filesystem::path& folder);

} // namespace tovrel
