#include "tests/params/restricted_run.h"

#include <csignal>
#include <cstdio>

#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrel::test {

namespace {

// Forks; the child runs prepare, then fn, and sends fn's text back through a
// pipe. prepare returning false means the restriction could not be set up.
std::optional<std::string> runInChild(const std::function<bool()>& prepare,
                                      const std::function<std::string()>& fn) {
    int fds[2];
    if (pipe(fds) != 0) {
        return std::nullopt;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        close(fds[0]);
        int code = 3;
        if (prepare()) {
            const std::string text = fn();
            code = write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0
                                                                                                : 4;
        }
        close(fds[1]);
        _exit(code);
    }
    close(fds[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) {
        text.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::optional<std::string> runAsOrdinaryUser(const std::function<std::string()>& fn) {
    return runInChild(
        [] {
            if (geteuid() != 0) {
                return true;
            }
            if (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0) {
                return false;
            }
            // Changing the user clears this; the sanitizers need it to read
            // the process's own maps.
            prctl(PR_SET_DUMPABLE, 1);
            return true;
        },
        fn);
}

std::optional<std::string> runWithFileSizeLimit(off_t maxBytes,
                                                const std::function<std::string()>& fn) {
    return runInChild(
        [maxBytes] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            if (getrlimit(RLIMIT_FSIZE, &limit) != 0) {
                return false;
            }
            limit.rlim_cur = static_cast<rlim_t>(maxBytes);
            return setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        fn);
}

void giveToOrdinaryUser(const std::string& path) {
    if (geteuid() == 0 && chown(path.c_str(), kOtherUser, kOtherUser) != 0) {
        std::perror(path.c_str());
    }
}

} // namespace tovrel::test
