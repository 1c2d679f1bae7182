#include "colour/profile_folder.h"

#include "colour/colour_plan.h"

#include <algorithm>
#include <cctype>

namespace tovrel {

InstalledProfiles profilesUnder(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, options, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if ((extension == ".icc" || extension == ".icm") && it->is_regular_file(ec)) {
            found.push_back(it->path().string());
        }
    }
    std::sort(found.begin(), found.end());
    InstalledProfiles installed;
    for (const std::string& file : found) {
        const ProfileUses uses = profileUsesOf(file);
        if (uses.input) {
            installed.inputs.push_back(file);
        }
        if (uses.output) {
            installed.outputs.push_back(file);
        }
    }
    return installed;
}

std::vector<std::string> withRecent(std::vector<std::string> recent, const std::string& file,
                                    std::size_t keep) {
    std::erase(recent, file);
    recent.insert(recent.begin(), file);
    if (recent.size() > keep) {
        recent.resize(keep);
    }
    return recent;
}

} // namespace tovrel
