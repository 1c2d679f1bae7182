#pragma once
// Opening a chosen picture for reading. A pipe or a device given as a picture
// would hang a plain open or read for ever, so the file is opened without
// blocking and taken only when it is a regular file.

#include "common/status.h"
#include "params/posix_file.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace tovrel {

// The open picture, in blocking mode again, and what fstat says of it.
struct OpenPicture {
    PosixFile file;
    struct stat status {};
};

Result<OpenPicture> openPictureFile(const std::filesystem::path& file);

// A stdio stream over a copy of the descriptor (close-on-exec); null when
// none can be made.
std::FILE* streamOf(const PosixFile& file);

} // namespace tovrel
