#include "tests/faults/kill_midway.h"

#include <csignal>
#include <cstdio>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace tovrel::test {

bool killMidway(const std::function<bool()>& work, std::chrono::microseconds delay) {
    int ready[2];
    if (pipe(ready) != 0) {
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        close(ready[0]);
        const char go = 1;
        if (write(ready[1], &go, 1) != 1 || !work()) {
            _exit(1);
        }
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    char go = 0;
    const bool started = read(ready[0], &go, 1) == 1;
    close(ready[0]);
    if (started) {
        std::this_thread::sleep_for(delay);
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace tovrel::test
