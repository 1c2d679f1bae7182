// Choosing a 6000 x 4000 picture, and a 10000 x 7500 one (above the memory
// limit Qt's decoder keeps by default): how long GetF_info takes to read its
// header and show its preview and size, the memory peak on the way, and the
// memory kept once the preview is shown.
//
// The figures come from a fresh copy of this program that does nothing but
// open the window and load the picture, so its memory peak is the preview's.
// The yardstick is the time to read the file's bytes once in the same run.

#include "app/main_window.h"
#include "bench/bench_support.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size kSizes[] = {{6000, 4000}, {10000, 7500}};

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 24-bit bottom-up BMP with a colour gradient, written row by row.
void writePicture(const std::filesystem::path& file, int width, int height) {
    tovrel::bench::writeBmp24(file, width, height, [&](int y, std::vector<char>& row) {
        for (int x = 0; x < width; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<char>(x * 255 / width);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(y * 255 / height);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>((x + y) & 255);
        }
    });
}

double msToReadOnce(const std::filesystem::path& file) {
    std::vector<char> chunk(1 << 20);
    std::ifstream in(file, std::ios::binary);
    const Clock::time_point start = Clock::now();
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    }
    return msSince(start);
}

// A "VmHWM:" or "VmRSS:" line of /proc/self/status, in kB.
long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
        }
    }
    return -1;
}

// The fresh process: open the window and choose the picture into slot 1.
int measure(int argc, char** argv, const std::filesystem::path& file, double readMs) {
    const QSize size = QImageReader(QString::fromStdString(file.string())).size();
    const int width = size.width();
    const int height = size.height();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    tovrel::mainS window(file.parent_path());
    int messages = 0;
    window.messageHook = [&messages](const QString&) { ++messages; };
    const long peakBefore = statusKb("VmHWM:");
    const long keptBefore = statusKb("VmRSS:");

    window.job.InPath(1) = file.string();
    window.job.ViewCount = 1;
    window.job.Views = 1;
    const Clock::time_point start = Clock::now();
    window.GetF_info();
    const double ms = msSince(start);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QSize preview = window.Image1[0]->pixmap().size();
    std::printf("GetF_info with one %d x %d picture: %.1f ms, %.2f times reading the file\n", width,
                height, ms, ms / readMs);
    std::printf("  label \"%s\", preview %d x %d pixels, %d messages\n",
                window.LabXY[0]->text().toStdString().c_str(), preview.width(), preview.height(),
                messages);
    std::printf("  peak memory (VmHWM): %ld kB before, %ld kB after (ru_maxrss %ld kB)\n",
                peakBefore, statusKb("VmHWM:"), usage.ru_maxrss);
    std::printf("  resident memory (VmRSS): %ld kB before, %ld kB after\n", keptBefore,
                statusKb("VmRSS:"));
    std::printf("  the picture itself decoded in full would take %d kB\n",
                static_cast<int>(int64_t{width} * height * 4 / 1024));
    return messages == 0 && !preview.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) {
        return measure(argc, argv, argv[2], std::strtod(argv[3], nullptr));
    }
    char pattern[] = "/tmp/preview_bench_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder(pattern);
    int failed = 0;
    for (const Size& size : kSizes) {
        const std::filesystem::path file = folder / "big.bmp";
        writePicture(file, size.width, size.height);
        const double readMs = msToReadOnce(file);
        std::printf("reading the %ju-byte file once: %.1f ms\n",
                    static_cast<uintmax_t>(std::filesystem::file_size(file)), readMs);
        std::fflush(stdout);

        const pid_t child = fork();
        if (child == 0) {
            const std::string readText = std::to_string(readMs);
            execl("/proc/self/exe", argv[0], "--measure", file.c_str(), readText.c_str(),
                  static_cast<char*>(nullptr));
            std::perror("exec");
            _exit(127);
        }
        int status = 1;
        waitpid(child, &status, 0);
        failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    std::filesystem::remove_all(folder);
    return failed == 0 ? 0 : 1;
}
