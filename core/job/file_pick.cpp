#include "job/file_pick.h"

#include <algorithm>
#include <cctype>

namespace tovrel {

std::string pickedPath(const std::string& folder, const std::string& fileName) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + fileName;
    }
    return folder + "/" + fileName;
}

namespace {

// The extension of `name` among the picture extensions, or empty.
std::string_view pictureExtension(const std::string& name) {
    for (std::string_view ext : kPictureExtensions) {
        if (name.size() >= ext.size() &&
            std::equal(
                ext.begin(), ext.end(), name.end() - static_cast<long>(ext.size()),
                [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
            return ext;
        }
    }
    return {};
}

} // namespace

bool hasPictureExtension(const std::string& name) {
    return !pictureExtension(name).empty();
}

std::string withoutExtension(const std::string& text) {
    const std::string_view ext = pictureExtension(text);
    if (!ext.empty() && ext != ".bmp") {
        return text.substr(0, text.size() - ext.size());
    }
    // Walk back over four UTF-8 characters: continuation bytes are 10xxxxxx.
    size_t end = text.size();
    for (int chars = 0; chars < 4 && end > 0; ++chars) {
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    }
    return text.substr(0, end);
}

std::string proposedOutputPath(const std::string& pickPath, bool horizontal) {
    return withoutExtension(pickPath) + (horizontal ? "-" : "!") + ".tif";
}

} // namespace tovrel
