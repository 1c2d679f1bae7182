#pragma once
// The output file a run writes, from the text of the output box.

#include "common/status.h"

#include <string>
#include <string_view>

namespace tovrel {

// The full path of the output named by text: a name with a control character
// (line feed, tab, ...) is refused with the user's message; a relative name
// lies in folder, the folder the lists show.
Result<std::string> outputPathFor(std::string_view text, const std::string& folder);

} // namespace tovrel
