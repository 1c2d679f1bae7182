#pragma once
// The profiles a colour dialog offers: those installed under a folder
// (/usr/share/color/icc) and the files the user chose lately.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrel {

inline constexpr const char* kSystemProfileFolder = "/usr/share/color/icc";

// The .icc and .icm files under a folder, sorted, by what each can be chosen
// for (profileUsesOf): a grey or Lab profile is offered nowhere, a CMYK one
// only as the output. Nothing when the folder cannot be read.
struct InstalledProfiles {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};
InstalledProfiles profilesUnder(const std::filesystem::path& folder);

// The recent list with file first, without repeats, at most `keep` long.
std::vector<std::string> withRecent(std::vector<std::string> recent, const std::string& file,
                                    std::size_t keep = 8);

} // namespace tovrel
