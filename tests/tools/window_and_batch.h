#pragma once
// One run made twice, by the window and by the batch tool.

#include "tests/tools/batch_process.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tovrel {
class mainS;
}

namespace tovrel::test {

// The start button pressed twice: confirm, then run.
void confirmAndRun(mainS& window);

// The batch tool on the pictures with the options, writing output, with a
// data file in dataFolder that starts as the window's tests start theirs.
BatchOutcome runBatchAlongside(std::vector<std::string> options,
                               const std::filesystem::path& output,
                               const std::vector<std::filesystem::path>& pictures,
                               const std::filesystem::path& dataFolder);

} // namespace tovrel::test
