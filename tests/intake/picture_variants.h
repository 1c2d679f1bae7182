#pragma once
// Pictures of every accepted format and variant, each written by an encoder
// other than ours (Qt's writer, libtiff and its tools, netpbm's pnmtopng,
// libjpeg-turbo's cjpeg, or BMP files built byte by byte), together with the
// pixels a run must use for it, worked out here from the written samples.

#include <QImage>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tovrel::test {

struct PictureVariant {
    std::string name;
    // Writes the picture into the folder; returns its path and the upright
    // picture a run must use (RGB888).
    std::function<std::filesystem::path(const std::filesystem::path&, QImage&)> make;
};

std::vector<PictureVariant> pictureVariants();

// Runs a command line through the shell; true when it succeeded.
bool shell(const std::string& command);

// A JPEG's bytes with an APP1 "Exif" segment holding the orientation tag and
// a resolution of 72 dots per inch.
std::vector<unsigned char> withExifOrientation(const std::vector<unsigned char>& jpeg,
                                               int orientation);

// The picture as a viewer shows a file with that EXIF / TIFF orientation.
QImage upright(const QImage& stored, int orientation);

} // namespace tovrel::test
