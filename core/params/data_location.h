#pragma once
// Where the data file kvxj.dll is. One standing next to the program file is
// the data file (a build folder, a portable copy). An installed program has
// none there: each user then keeps an own copy in the XDG data folder, made on
// first use from the one the package ships, which is never written.

#include <filesystem>
#include <string>

namespace tovrel {

struct DataEnvironment {
    std::string xdgDataHome; // $XDG_DATA_HOME; ignored unless an absolute path
    std::string home;        // $HOME
    std::filesystem::path systemShare = "/usr/share";
};

// The values of the running process.
DataEnvironment processDataEnvironment();

struct DataLocation {
    std::filesystem::path folder; // the folder whose kvxj.dll is the data file
    std::string problem;          // why the user's own copy could not be made, or empty
};

// programFolder: the folder of the program file. The folder it gives holds no
// data file only when none can be found at all (the not-found case), or when
// the user's copy could not be made and the shipped one may be written.
DataLocation locateDataFolder(const std::filesystem::path& programFolder,
                              const DataEnvironment& env);

} // namespace tovrel
