#pragma once
// The program's data file kvxj.dll: the 1448-byte header template of every
// output file, followed by the lens pitches the user has worked with, each a
// little-endian 32-bit float, in the order they were added.

#include "common/status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace tovrel {

inline constexpr std::size_t kTemplateSize = 1448;
// More entries than anyone adds by hand: a longer file is damaged, and is not
// read into memory.
inline constexpr std::size_t kMaxEntries = std::size_t{1} << 20;
using TiffTemplate = std::array<uint8_t, kTemplateSize>;

class PitchStore {
  public:
    // folder is the folder that holds kvxj.dll (the program's folder).
    explicit PitchStore(std::filesystem::path folder);

    std::filesystem::path dataPath() const; // folder + "kvxj.dll"
    std::filesystem::path tempPath() const; // folder + "kvxj.dl~"
    bool present() const;                   // an ordinary file at dataPath()

    // Each operation that finds the data file whole first removes a leftover
    // temporary file of an interrupted rewrite. A missing or damaged data file
    // leaves it alone: it may then hold the only copy of the list.
    Result<std::vector<float>> load() const; // entries in file order
    Status removeAll(float value);           // deletes every entry equal to value
    Status append(float value);              // adds one entry behind the last whole one
    Result<TiffTemplate> readTemplate() const;
    // Makes this store's data file a whole copy of source's, which is only
    // read; the copy appears under its name in one step or not at all.
    Status copyFrom(const PitchStore& source);

    // Refuses an output path that names the data file or its temporary file:
    // a run writing there would destroy the pitch list, or have its file
    // removed as a leftover by the next operation.
    Status checkOutputPath(const std::filesystem::path& out) const;

  private:
    // Puts content in place of the data file through the temporary file,
    // with old's owner and permissions.
    Status replaceContent(const std::vector<uint8_t>& content, const struct stat& old);

    std::filesystem::path folder_;
};

// The message shown whenever the data file is missing; its lines are
// separated by "\r".
std::string notFoundMessage();

// How an entry reads in the pitch list.
std::string pitchItemText(float entry);

// Whether a run's pitch is already in the list: an entry whose item text reads
// back as the same float, or whose stored value is that float exactly.
bool pitchListed(const std::vector<float>& entries, float pitch);

} // namespace tovrel
