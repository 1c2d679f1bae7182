#include "common/warning_log.h"

#include <iostream>
#include <mutex>

namespace tovrel {

namespace {

std::mutex guard;

WarningSink& sink() {
    static WarningSink current;
    return current;
}

} // namespace

void setWarningSink(WarningSink next) {
    const std::lock_guard<std::mutex> hold(guard);
    sink() = std::move(next);
}

void logWarning(const std::string& text) {
    const std::lock_guard<std::mutex> hold(guard);
    if (sink()) {
        sink()(text);
    } else {
        std::clog << "tovrel: " << text << '\n';
    }
}

} // namespace tovrel
