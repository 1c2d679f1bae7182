#include "job/file_pick.h"

namespace tovrel {

std::string pickedPath(const std::string& folder, const std::string& fileName) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + fileName;
    }
    return folder + "/" + fileName;
}

std::string withoutExtension(const std::string& text) {
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
