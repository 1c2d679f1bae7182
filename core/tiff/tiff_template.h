#pragma once
// Whether a header template taken from the data file describes the files a run
// writes: a little-endian TIFF of one uncompressed, chunky, 8-bit RGB strip
// starting at byte 1448, whose width, height and rows-per-strip values sit at
// 30, 42 and 114 and whose resolution resource holds its two values at 228 and
// 236. Patching any other template would write a file no reader can use.

#include "common/status.h"
#include "params/pitch_store.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tovrel {

Status checkTemplate(const TiffTemplate& tmpl);

// A field of the first directory of a template that passed checkTemplate:
// where its entry is, its type and count, and where its values lie.
struct TemplateField {
    std::size_t entryAt;
    uint16_t type;
    uint32_t count;
    std::size_t valuesAt;
};

// Nothing when the template has no field with that tag.
std::optional<TemplateField> templateField(const TiffTemplate& tmpl, uint16_t tag);

} // namespace tovrel
