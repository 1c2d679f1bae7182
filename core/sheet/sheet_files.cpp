#include "sheet/sheet_files.h"

#include "common/number_format.h"

#include <sstream>

namespace tovrel {

namespace {

std::string box(const PixelRect& r) {
    return "[" + std::to_string(r.x0) + "," + std::to_string(r.y0) + "," + std::to_string(r.x1) +
           "," + std::to_string(r.y1) + "]";
}

} // namespace

std::string layoutJson(const SheetLayout& layout) {
    std::ostringstream out;
    out << "{\"sheet_px\":[" << layout.width << "," << layout.height << "],"
        << "\"ppi\":" << formatDouble(layout.ppi) << ","
        << "\"lens_px\":" << formatDouble(layout.lensPixels) << ","
        << "\"lens_origin_px\":" << formatDouble(layout.lensOrigin) << ","
        << "\"gutter_mm\":[" << formatDouble(layout.gutterAcrossMm) << ","
        << formatDouble(layout.gutterAlongMm) << "],\n\"cards\":[";
    const char* separator = "\n";
    for (const SheetCard& card : layout.cards()) {
        out << separator << "{\"trim\":" << box(card.trim) << ",\"bleed\":" << box(card.bleed)
            << "}";
        separator = ",\n";
    }
    out << "\n]}\n";
    return out.str();
}

std::string cutSvg(const SheetLayout& layout) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        << formatDouble(layout.mm(layout.width)) << "mm\" height=\""
        << formatDouble(layout.mm(layout.height)) << "mm\" viewBox=\"0 0 " << layout.width << " "
        << layout.height << "\">\n";
    for (const SheetCard& card : layout.cards()) {
        const PixelRect& t = card.trim;
        out << "<rect x=\"" << t.x0 << "\" y=\"" << t.y0 << "\" width=\"" << t.x1 - t.x0
            << "\" height=\"" << t.y1 - t.y0 << "\" fill=\"none\" stroke=\"#000\" stroke-width=\""
            << formatDouble(layout.pixels(0.1)) << "\"/>\n";
    }
    out << "</svg>\n";
    return out.str();
}

} // namespace tovrel
