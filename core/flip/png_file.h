#pragma once
// A view as a PNG file (libpng): 8-bit red, green, blue, not interlaced.

#include "common/status.h"
#include "flip/line_table.h"

#include <cstdint>
#include <vector>

namespace tovrel {

Result<std::vector<uint8_t>> encodePng(const ViewImage& image);

} // namespace tovrel
