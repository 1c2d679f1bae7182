#include "tests/tools/batch_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovrel::test {

namespace {

// Reads both streams until each has ended; a terminal's end shows as EIO.
void drain(int outFd, int errFd, BatchOutcome& outcome) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* texts[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                texts[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// The test's environment with the changes of `env`.
std::vector<std::string> environmentOf(const BatchEnvironment& env) {
    std::vector<std::string> out;
    const auto nameOf = [](const std::string& v) { return v.substr(0, v.find('=')); };
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string v = *e;
        bool changed = false;
        for (const std::string& c : env.variables) {
            changed = changed || nameOf(c) == nameOf(v);
        }
        if (!changed) {
            out.push_back(v);
        }
    }
    for (const std::string& c : env.variables) {
        if (c.find('=') != std::string::npos) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

BatchOutcome runBatch(const std::vector<std::string>& args, const BatchEnvironment& env) {
    return finishBatch(startBatch(args, env));
}

RunningBatch startBatch(const std::vector<std::string>& args, const BatchEnvironment& env) {
    std::vector<std::string> argvText{env.program.empty() ? TOVREL_BATCH : env.program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envText = environmentOf(env);
    std::vector<char*> envp;
    for (std::string& v : envText) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);

    int outPipe[2];
    int errPair[2]; // [0] read by the test, [1] the child's standard error
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    if (env.terminal || env.sharedTerminal
            ? openpty(&errPair[0], &errPair[1], nullptr, nullptr, nullptr) != 0
            : pipe2(errPair, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make the error stream");
    }
    fcntl(errPair[0], F_SETFD, FD_CLOEXEC);
    fcntl(errPair[1], F_SETFD, FD_CLOEXEC);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (env.maxFileBytes > 0) {
            const rlimit limit{static_cast<rlim_t>(env.maxFileBytes),
                               static_cast<rlim_t>(env.maxFileBytes)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        dup2(devNull, STDIN_FILENO);
        dup2(env.sharedTerminal ? errPair[1] : outPipe[1], STDOUT_FILENO);
        dup2(errPair[1], STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPair[1]);
    return RunningBatch{pid, outPipe[0], errPair[0]};
}

BatchOutcome finishBatch(const RunningBatch& running) {
    BatchOutcome outcome;
    drain(running.outFd, running.errFd, outcome);
    close(running.outFd);
    close(running.errFd);
    int status = 0;
    while (waitpid(running.pid, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace tovrel::test
