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

namespace tovrel {

inline constexpr std::size_t kTemplateSize = 1448;
using TiffTemplate = std::array<uint8_t, kTemplateSize>;

class PitchStore {
  public:
    // folder is the folder that holds kvxj.dll (the program's folder).
    explicit PitchStore(std::filesystem::path folder);

    std::filesystem::path dataPath() const; // folder + "kvxj.dll"
    std::filesystem::path tempPath() const; // folder + "kvxj.dl~"
    bool present() const;                   // an ordinary file at dataPath()

    Result<std::vector<float>> load() const; // entries in file order
    Status removeAll(float value);           // deletes every entry equal to value
    Status append(float value);              // adds one entry behind the last whole one
    Result<TiffTemplate> readTemplate() const;

  private:
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
