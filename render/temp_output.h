#pragma once
// The file a run writes into: a new file beside the output path that takes
// the output's place only when the run has succeeded, so a failed run never
// destroys an earlier file there.

#include "common/status.h"

#include <filesystem>

namespace tovrel {

class TempOutput {
  public:
    // Creates an empty file with a fresh name in target's folder. The
    // failure message says the folder cannot be written.
    static Result<TempOutput> create(const std::filesystem::path& target);

    TempOutput(TempOutput&& other) noexcept;
    TempOutput& operator=(TempOutput&&) = delete;
    TempOutput(const TempOutput&) = delete;
    ~TempOutput(); // removes the file unless committed

    const std::filesystem::path& path() const { return path_; }

    // Renames the file over the target (its data must be synced already)
    // and syncs the folder, so the new name survives a crash.
    Status commit();

  private:
    TempOutput(std::filesystem::path path, std::filesystem::path target);
    std::filesystem::path path_;
    std::filesystem::path target_;
    bool pending_ = true;
};

} // namespace tovrel
