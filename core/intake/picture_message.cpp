#include "intake/picture_message.h"

#include <array>

namespace tovrel {

Status libraryFailure(const std::filesystem::path& file, const std::string& format,
                      const std::string& detail) {
    // The libraries' words for data that ends too early and for checksums.
    constexpr std::array kShort{"Read Error",      "Read error", "Premature end", "end of file",
                                "Not enough data", "EOF",        "truncated",     "Unexpected end"};
    constexpr std::array kChecksum{"CRC", "data check", "checksum"};
    std::string meaning = "文件已损坏，或不是有效的 " + format + " 文件";
    for (const char* word : kShort) {
        if (detail.find(word) != std::string::npos) {
            meaning = format + " 文件不完整，可能在复制或下载时被截断";
        }
    }
    for (const char* word : kChecksum) {
        if (detail.find(word) != std::string::npos) {
            meaning = format + " 文件的校验和不符，文件已损坏";
        }
    }
    return refusePicture(file, meaning + "（" + detail + "）");
}

} // namespace tovrel
