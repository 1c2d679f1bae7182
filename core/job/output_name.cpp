#include "job/output_name.h"

#include "job/file_pick.h"

#include <algorithm>

namespace tovrel {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

Result<std::string> outputPathFor(std::string_view text, const std::string& folder) {
    if (std::ranges::any_of(text, isControl)) {
        return Status::fail("输出文件名中有换行符、制表符之类的控制字符，请重新输入。");
    }
    if (text.empty()) {
        return Status::fail("请输入输出文件名。");
    }
    if (text.front() == '/') {
        return std::string(text);
    }
    return pickedPath(folder, std::string(text));
}

} // namespace tovrel
