#pragma once
// The message for a picture that cannot be used: it names the file and says why.

#include "common/status.h"

#include <filesystem>
#include <string>

namespace tovrel {

inline std::string quotedPath(const std::filesystem::path& file) {
    return "“" + file.string() + "”";
}

inline Status refusePicture(const std::filesystem::path& file, const std::string& reason) {
    return Status::fail("图片" + quotedPath(file) + "无法使用：" + reason + "。");
}

// A failure reported by a format's library: its own words, in brackets,
// after what they mean for the user.
Status libraryFailure(const std::filesystem::path& file, const std::string& format,
                      const std::string& detail);

} // namespace tovrel
