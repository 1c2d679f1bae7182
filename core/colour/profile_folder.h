#pragma once
// The profiles a colour dialog offers: those installed under a folder
// (/usr/share/color/icc) and the files the user chose lately.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrel {

inline constexpr const char* kSystemProfileFolder = "/usr/share/color/icc";

// Every .icc and .icm file under folder, sorted; nothing when it cannot be read.
std::vector<std::string> profilesUnder(const std::filesystem::path& folder);

// The recent list with file first, without repeats, at most `keep` long.
std::vector<std::string> withRecent(std::vector<std::string> recent, const std::string& file,
                                    std::size_t keep = 8);

} // namespace tovrel
