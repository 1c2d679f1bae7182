#include "params/data_location.h"

#include "params/pitch_store.h"
#include "params/posix_file.h"

#include <cstdlib>
#include <system_error>

#include <unistd.h>

namespace tovrel {

namespace {

namespace fs = std::filesystem;

// $XDG_DATA_HOME/tovrel, else ~/.local/share/tovrel; empty when neither is set.
fs::path userDataFolder(const DataEnvironment& env) {
    if (fs::path(env.xdgDataHome).is_absolute()) {
        return fs::path(env.xdgDataHome) / "tovrel";
    }
    if (env.home.empty()) {
        return {};
    }
    return fs::path(env.home) / ".local" / "share" / "tovrel";
}

// ../share/tovrel beside the program's folder (an install under any prefix),
// else the system's; empty when neither holds the data file.
fs::path shippedDataFolder(const fs::path& programFolder, const DataEnvironment& env) {
    for (const fs::path& folder :
         {programFolder / ".." / "share" / "tovrel", env.systemShare / "tovrel"}) {
        if (PitchStore(folder).present()) {
            return folder.lexically_normal();
        }
    }
    return {};
}

bool mayWrite(const fs::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

Status makeOwnCopy(const fs::path& own, const fs::path& shipped) {
    if (own.empty()) {
        return Status::fail("HOME 和 XDG_DATA_HOME 都没有设置。");
    }
    std::error_code ec;
    fs::create_directories(own, ec);
    if (ec) {
        return Status::fail("无法创建文件夹 " + own.string() + "：" + systemErrorText(ec.value()) +
                            "。");
    }
    return PitchStore(own).copyFrom(PitchStore(shipped));
}

} // namespace

DataEnvironment processDataEnvironment() {
    DataEnvironment env;
    for (auto [name, value] :
         {std::pair{"XDG_DATA_HOME", &env.xdgDataHome}, std::pair{"HOME", &env.home}}) {
        if (const char* set = std::getenv(name)) {
            *value = set;
        }
    }
    return env;
}

DataLocation locateDataFolder(const fs::path& programFolder, const DataEnvironment& env) {
    if (PitchStore(programFolder).present()) {
        return {programFolder, ""};
    }
    const fs::path own = userDataFolder(env);
    if (!own.empty() && PitchStore(own).present()) {
        return {own, ""};
    }
    const fs::path shipped = shippedDataFolder(programFolder, env);
    if (shipped.empty()) {
        // The not-found message then tells the user what to do.
        return {programFolder, ""};
    }
    const Status made = makeOwnCopy(own, shipped);
    if (made) {
        return {own, ""};
    }
    const std::string problem =
        "无法建立您自己的栅距列表 " + (own / "kvxj.dll").string() + "。\r" + made.message();
    // Only a shipped file this user cannot change is a safe stand-in: the
    // list shows and runs work, and recording a pitch fails with a message.
    const PitchStore stored(shipped);
    if (!mayWrite(stored.dataPath()) && !mayWrite(shipped)) {
        return {shipped, problem + "\r现在使用安装的栅距列表，新的栅距不会被记下。"};
    }
    return {own, problem};
}

} // namespace tovrel
