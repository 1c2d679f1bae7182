#pragma once
// Runs the built batch tool as a child process and collects what it says.

#include <string>
#include <sys/types.h>
#include <vector>

namespace tovrel::test {

struct BatchOutcome {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;   // standard output
    std::string err;   // standard error
};

struct BatchEnvironment {
    // Files may not grow beyond this many bytes (writes past it fail as on a
    // full disk); 0 for no limit.
    off_t maxFileBytes = 0;
    // Standard error is a terminal instead of a pipe.
    bool terminal = false;
    // Standard output goes to that terminal too, as in a shell; all the
    // tool says then lands in err.
    bool sharedTerminal = false;
    // Another copy of the tool to run instead of the built one.
    std::string program;
    // Environment variables set ("NAME=value") or, without "=", removed.
    std::vector<std::string> variables;
};

BatchOutcome runBatch(const std::vector<std::string>& args, const BatchEnvironment& env = {});

// The tool started and left running, to meet other processes midway.
struct RunningBatch {
    pid_t pid = -1;
    int outFd = -1, errFd = -1;
};
RunningBatch startBatch(const std::vector<std::string>& args, const BatchEnvironment& env = {});
BatchOutcome finishBatch(const RunningBatch& running);

} // namespace tovrel::test
