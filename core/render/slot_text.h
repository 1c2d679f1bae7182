#pragma once
// How messages name a picture slot.

#include <cstdint>
#include <string>

namespace tovrel {

inline std::string slotText(int32_t n) {
    return "第 " + std::to_string(n) + " 张图片";
}

} // namespace tovrel
