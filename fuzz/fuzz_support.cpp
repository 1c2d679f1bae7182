#include "fuzz/fuzz_support.h"

#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace tovrel::fuzz {

namespace {

// Removes the folder when the fuzzer ends normally.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tovrel-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a scratch folder");
        }
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

std::filesystem::path scratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

} // namespace tovrel::fuzz
