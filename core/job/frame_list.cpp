#include "job/frame_list.h"

#include "job/file_pick.h"
#include "params/posix_file.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fs = std::filesystem;

namespace tovrel {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The digit run starting at `at`, without its leading zeros.
std::string_view digitRun(std::string_view s, std::size_t& at) {
    const std::size_t start = at;
    while (at < s.size() && isDigit(s[at])) {
        ++at;
    }
    std::string_view run = s.substr(start, at - start);
    const std::size_t nonZero = run.find_first_not_of('0');
    return nonZero == std::string_view::npos ? std::string_view{} : run.substr(nonZero);
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view x = digitRun(a, i);
            const std::string_view y = digitRun(b, j);
            if (x.size() != y.size()) {
                return x.size() < y.size();
            }
            if (x != y) {
                return x < y;
            }
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size();
    }
    return a < b;
}

Result<std::vector<std::string>> framesInFolder(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return Status::fail("无法打开文件夹：" + systemErrorText(ec.value()) + "。\n" +
                            folder.string());
    }
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        std::error_code kind;
        if (!name.starts_with('.') && hasPictureExtension(name) && entry.is_regular_file(kind)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), naturalLess);
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) {
        paths.push_back((folder / name).string());
    }
    return paths;
}

} // namespace tovrel
