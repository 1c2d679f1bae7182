#pragma once
// The decoder of each format, its header read; used by openPicture.

#include "intake/picture_decoder.h"

#include <cstdio>
#include <memory>

namespace tovrel {

using DecoderResult = Result<std::unique_ptr<PictureDecoder>>;

// Each takes over the open stream `f`, positioned at its start; TIFF reads
// through its own copy of the descriptor of `picture`.
DecoderResult openPng(const std::filesystem::path& file, std::FILE* f);
DecoderResult openJpeg(const std::filesystem::path& file, std::FILE* f);
DecoderResult openBmp(const std::filesystem::path& file, std::FILE* f);
DecoderResult openTiff(const std::filesystem::path& file, const PosixFile& picture);

// Pixels per metre from a resolution in dots per inch (unit 2) or per
// centimetre (unit 3), rounded to the nearest whole number (halves to even);
// 0 for any other unit and for values that are not positive or do not fit.
int32_t pixelsPerMetre(double value, int unit);

} // namespace tovrel
