#pragma once
// What the shop's tools read besides the sheet: the layout as JSON (pixels,
// origin at the sheet's top left, rectangles half-open) and the trim lines as
// an SVG of the sheet's physical size for digital cutters.

#include "sheet/sheet_geometry.h"

#include <string>

namespace tovrel {

// {"sheet_px":[w,h], "ppi":R, "lens_px":L, "lens_origin_px":o,
//  "gutter_mm":[across, along], "cards":[{"trim":[x0,y0,x1,y1],
//  "bleed":[x0,y0,x1,y1]}, ...]}
std::string layoutJson(const SheetLayout& layout);

// The trim rectangles, in a view box of the sheet's pixels.
std::string cutSvg(const SheetLayout& layout);

} // namespace tovrel
