#include "params/colour_settings.h"

#include <array>

namespace tovrel {

namespace {
constexpr std::array<const char*, 4> kIntentNames = {"perceptual", "relative", "saturation",
                                                     "absolute"};
} // namespace

std::optional<RenderIntent> intentNamed(const std::string& name) {
    for (std::size_t i = 0; i < kIntentNames.size(); ++i) {
        if (name == kIntentNames[i]) {
            return static_cast<RenderIntent>(i);
        }
    }
    return std::nullopt;
}

const char* intentName(RenderIntent intent) {
    return kIntentNames[static_cast<std::size_t>(intent)];
}

} // namespace tovrel
