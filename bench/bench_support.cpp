#include "bench/bench_support.h"

#include "params/pitch_store.h"
#include "tiff/tiff_header.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrel::bench {

namespace {

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::strlen(field)));
        }
    }
    return -1;
}

void putLE(std::vector<char>& bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

} // namespace

// Runs fn in a child: the peak resident size is reset first, so what it
// reports is the growth fn caused.
Measured measure(const std::function<bool()>& fn) {
    sync();
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long baseline = statusKb("VmRSS:");
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const double cpuBefore = seconds(before.ru_utime) + seconds(before.ru_stime);
        const auto start = std::chrono::steady_clock::now();
        Measured m;
        m.ok = fn();
        m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        m.peakBeyondKb = statusKb("VmHWM:") - baseline;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        m.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime) - cpuBefore;
        const bool sent = write(fds[1], &m, sizeof m) == static_cast<ssize_t>(sizeof m);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    Measured m;
    if (pid < 0 || read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) {
        m = {};
    }
    close(fds[0]);
    if (pid > 0) {
        waitpid(pid, nullptr, 0);
    }
    return m;
}

double timeDd(const fs::path& file, int64_t bytes, bool direct) {
    sync();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string of = "of=" + file.string();
        const std::string count = "count=" + std::to_string(bytes);
        if (direct) {
            execlp("dd", "dd", "if=/dev/zero", of.c_str(), "bs=8M", count.c_str(),
                   "iflag=count_bytes", "oflag=direct", "conv=fsync", "status=none",
                   static_cast<char*>(nullptr));
        } else {
            execlp("dd", "dd", "if=/dev/zero", of.c_str(), "bs=1M", count.c_str(),
                   "iflag=count_bytes", "conv=fsync", "status=none", static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fs::remove(file);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

int64_t cachedBytes(const fs::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size == 0) {
        if (fd >= 0) {
            close(fd);
        }
        return fd < 0 ? -1 : 0;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED) {
        return -1;
    }
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    int64_t cached = -1;
    if (mincore(map, size, resident.data()) == 0) {
        cached = 0;
        for (const unsigned char r : resident) {
            cached += (r & 1) != 0 ? static_cast<int64_t>(page) : 0;
        }
    }
    munmap(map, size);
    return cached;
}

void writeBmp24(const fs::path& file, int width, int height,
                const std::function<void(int y, std::vector<char>& row)>& fillRow) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(height);
    std::vector<char> header(54, 0);
    header[0] = 'B';
    header[1] = 'M';
    putLE(header, 2, 54 + imageBytes, 4);
    putLE(header, 10, 54, 4);
    putLE(header, 14, 40, 4);
    putLE(header, 18, static_cast<uint32_t>(width), 4);
    putLE(header, 22, static_cast<uint32_t>(height), 4);
    putLE(header, 26, 1, 2);
    putLE(header, 28, 24, 2);
    putLE(header, 34, imageBytes, 4);
    putLE(header, 38, 11811, 4);
    putLE(header, 42, 11811, 4);
    std::ofstream out(file, std::ios::binary);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::vector<char> row(stride, 0);
    for (int y = 0; y < height; ++y) {
        fillRow(y, row);
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

std::function<bool(JobState&, const std::filesystem::path&, TiffForm)>
benchHeaderWriter(const std::filesystem::path& dataFile) {
    const Result<TiffTemplate> tmpl = PitchStore(dataFile.parent_path()).readTemplate();
    if (!tmpl) {
        std::fprintf(stderr, "%s\n", tmpl.message().c_str());
        return {};
    }
    return [tmpl = tmpl.value()](JobState& job, const std::filesystem::path& file, TiffForm form) {
        const Status written =
            writeTiffHeader(file, tmpl, job.tifW, job.tifH, job.fbl, {}, form == TiffForm::Big);
        if (!written) {
            std::fprintf(stderr, "%s\n", written.message().c_str());
        }
        return written.isOk();
    };
}

} // namespace tovrel::bench
