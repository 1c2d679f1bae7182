// The decoded-picture cache shared by several processes and met by faults,
// one row each, through the built batch tool: a picture replaced by another
// of the same size and times, two runs decoding one picture at once, a window
// closing while a run decodes, a decode killed, a leftover of a killed
// decode, a cache folder that is not the user's own, no HOME, a full disk.
// Runs meet each other at a decode paused by TOVREL_DECODE_PAUSE: nothing is
// left to timing.

#include "intake/picture_cache.h"
#include "params/posix_file.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/batch_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr int32_t kW = 40, kH = 30;

// The pattern picture stored top-down (a BMP a run cannot read in place, so
// it is decoded into the cache); `inverted` gives another picture of the
// same size.
Bytes picture(bool inverted, bool topDown) {
    Bytes b = bmpFile({.width = kW, .height = kH});
    const size_t stride = (kW * 3 + 3) / 4 * 4;
    for (size_t i = 54; i < b.size(); ++i) {
        b[i] = inverted ? static_cast<unsigned char>(~b[i]) : b[i];
    }
    if (topDown) {
        Bytes rows(b.begin() + 54, b.end());
        for (int32_t r = 0; r < kH; ++r) {
            std::copy_n(&rows[size_t(kH - 1 - r) * stride], stride, &b[54 + size_t(r) * stride]);
        }
        putLE32(b, 22, static_cast<uint32_t>(-kH));
    }
    return b;
}

class CacheScene {
  public:
    CacheScene() {
        fs::create_directories(dir / "pause");
        writeFile(dir / "kvxj.dll", readFile(shippedDataFile()));
        writeFile(dir / "a.bmp", picture(false, true));
        writeFile(dir / "b.bmp", picture(true, true));
        writeFile(dir / "a-plain.bmp", picture(false, false));
        writeFile(dir / "b-plain.bmp", picture(true, false));
    }

    fs::path cache() const { return dir / "xdg" / "tovrel"; }

    std::vector<std::string> args(const std::string& out, const std::string& first = "a.bmp",
                                  const std::string& second = "b.bmp") const {
        return {"--pitch",
                "0.5",
                "--sharpness",
                "3",
                "--width",
                "2",
                "--height",
                "1.5",
                "--data-file",
                (dir / "kvxj.dll").string(),
                "-o",
                (dir / out).string(),
                (dir / first).string(),
                (dir / second).string()};
    }

    BatchEnvironment env(std::vector<std::string> more = {}) const {
        BatchEnvironment e;
        e.variables = {"XDG_CACHE_HOME=" + (dir / "xdg").string(),
                       "TOVREL_DECODE_PAUSE=" + (dir / "pause").string()};
        e.variables.insert(e.variables.end(), more.begin(), more.end());
        return e;
    }

    // Lets decodes of `name` go on, now and later.
    void release(const std::string& name) const { writeFile(dir / "pause" / (name + ".go"), {}); }

    // Waits until `count` processes are paused decoding `name`.
    void awaitPaused(const std::string& name, size_t count) const {
        for (;;) {
            size_t paused = 0;
            for (const auto& e : fs::directory_iterator(dir / "pause")) {
                const std::string f = e.path().filename().string();
                paused += f.rfind(name + ".", 0) == 0 && f != name + ".go";
            }
            if (paused >= count) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::vector<std::string> cacheFiles() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(cache(), ec), end; !ec && it != end; it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        return names;
    }

    // The run's pixels equal those of the same run on the plain twins.
    void expectPicturesOf(const std::string& out, const std::string& first,
                          const std::string& second) const {
        const BatchOutcome ref = runBatch(args("ref.tif", first, second), env());
        ASSERT_EQ(ref.exitCode, 0) << ref.err;
        EXPECT_EQ(readTiff(dir / out, true).rows, readTiff(dir / "ref.tif", true).rows);
    }

    TempDir dir;
};

void expectRefused(const BatchOutcome& run, const std::string& words) {
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
}

// The picture at `path` replaced by `bytes` with its size and times kept.
void replaceKeepingTimes(const fs::path& path, const Bytes& bytes, bool inPlace) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    const fs::path written = inPlace ? path : fs::path(path.string() + ".new");
    writeFile(written, bytes);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, written.c_str(), times, 0), 0);
    if (!inPlace) {
        fs::rename(written, path);
    }
}

// A window holds the store of the first picture, which is then replaced by
// the second's bytes with its size and times kept: the run uses the new one.
void runReplaced(CacheScene& s, bool inPlace) {
    s.release("a.bmp");
    s.release("b.bmp");
    const PictureCache window(s.cache());
    ASSERT_TRUE(window.storeFor(s.dir / "a.bmp", {}));
    replaceKeepingTimes(s.dir / "a.bmp", picture(true, true), inPlace);
    const BatchOutcome run = runBatch(s.args("out.tif"), s.env());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    s.expectPicturesOf("out.tif", "b-plain.bmp", "b-plain.bmp");
}

struct FaultRow {
    const char* what;
    std::function<void(CacheScene&)> run;
};

const std::vector<FaultRow>& faultRows() {
    static const std::vector<FaultRow> rows = {
        {"picture replaced by rename, same size and times",
         [](CacheScene& s) { runReplaced(s, false); }},
        {"picture rewritten in place, same size and times",
         [](CacheScene& s) { runReplaced(s, true); }},
        {"two runs decoding the same picture at once",
         [](CacheScene& s) {
             s.release("b.bmp");
             const RunningBatch one = startBatch(s.args("one.tif"), s.env());
             const RunningBatch two = startBatch(s.args("two.tif"), s.env());
             s.awaitPaused("a.bmp", 2);
             s.release("a.bmp");
             const BatchOutcome first = finishBatch(one), second = finishBatch(two);
             ASSERT_EQ(first.exitCode, 0) << first.err;
             ASSERT_EQ(second.exitCode, 0) << second.err;
             s.expectPicturesOf("one.tif", "a-plain.bmp", "b-plain.bmp");
             s.expectPicturesOf("two.tif", "a-plain.bmp", "b-plain.bmp");
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{});
         }},
        {"a window closed while a run decodes",
         [](CacheScene& s) {
             s.release("a.bmp");
             const RunningBatch batch = startBatch(s.args("out.tif"), s.env());
             s.awaitPaused("b.bmp", 1);
             {
                 // A window picks a picture of its own and closes meanwhile.
                 const PictureCache window(s.cache());
                 writeFile(s.dir / "c.bmp", picture(true, true));
                 s.release("c.bmp");
                 ASSERT_TRUE(window.storeFor(s.dir / "c.bmp", {}));
                 window.removeAllBut({});
             }
             s.release("b.bmp");
             const BatchOutcome run = finishBatch(batch);
             ASSERT_EQ(run.exitCode, 0) << run.err;
             s.expectPicturesOf("out.tif", "a-plain.bmp", "b-plain.bmp");
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{});
         }},
        {"a decode killed midway",
         [](CacheScene& s) {
             const RunningBatch batch = startBatch(s.args("out.tif"), s.env());
             s.awaitPaused("a.bmp", 1);
             ::kill(batch.pid, SIGKILL);
             EXPECT_EQ(finishBatch(batch).exitCode, -1);
             // An anonymous temporary leaves nothing; a named one only a part.
             for (const std::string& name : s.cacheFiles()) {
                 EXPECT_TRUE(name.ends_with(".part")) << name;
             }
             s.release("a.bmp");
             s.release("b.bmp");
             const BatchOutcome run = runBatch(s.args("out.tif"), s.env());
             ASSERT_EQ(run.exitCode, 0) << run.err;
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{});
         }},
        {"leftovers of killed decodes, and one still being written",
         [](CacheScene& s) {
             s.release("a.bmp");
             s.release("b.bmp");
             fs::create_directories(s.cache());
             const std::string left = "0123456789abcdef.bmp.00000000deadbeef.part";
             const std::string live = "fedcba9876543210.bmp.00000000cafef00d.part";
             writeFile(s.cache() / left, Bytes(1000, 1));
             writeFile(s.cache() / live, Bytes(1000, 2));
             const PosixFile writer = PosixFile::open(s.cache() / live, O_RDONLY);
             ASSERT_EQ(::flock(writer.fd(), LOCK_SH), 0);
             const BatchOutcome run = runBatch(s.args("out.tif"), s.env());
             ASSERT_EQ(run.exitCode, 0) << run.err;
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{live});
         }},
        {"cache folder that is a link",
         [](CacheScene& s) {
             fs::create_directories(s.dir / "xdg");
             fs::create_directories(s.dir / "elsewhere");
             fs::create_directory_symlink(s.dir / "elsewhere", s.cache());
             expectRefused(runBatch(s.args("out.tif"), s.env()),
                           "解码缓存文件夹“" + s.cache().string() + "”不能使用：它是一个链接");
             EXPECT_TRUE(fs::is_empty(s.dir / "elsewhere"));
             EXPECT_FALSE(fs::exists(s.dir / "out.tif"));
         }},
        {"cache folder of another user",
         [](CacheScene& s) {
             fs::create_directories(s.cache());
             const uid_t other = ::geteuid() == 0 ? 65534 : 0;
             if (::chown(s.cache().c_str(), other, other) != 0) {
                 GTEST_SKIP() << "cannot give a folder to another user here";
             }
             expectRefused(runBatch(s.args("out.tif"), s.env()),
                           "解码缓存文件夹“" + s.cache().string() + "”不能使用：它属于其他用户");
         }},
        {"cache folder writable by everyone",
         [](CacheScene& s) {
             fs::create_directories(s.cache());
             fs::permissions(s.cache(), fs::perms::all);
             expectRefused(runBatch(s.args("out.tif"), s.env()),
                           "解码缓存文件夹“" + s.cache().string() +
                               "”不能使用：其他用户也可以写入它");
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{});
         }},
        {"HOME empty",
         [](CacheScene& s) {
             const passwd* user = ::getpwuid(::geteuid());
             ASSERT_NE(user, nullptr);
             EXPECT_EQ(cacheFolderFrom(nullptr, ""), fs::path(user->pw_dir) / ".cache" / "tovrel");
             EXPECT_EQ(cacheFolderFrom("relative", nullptr),
                       fs::path(user->pw_dir) / ".cache" / "tovrel");
             s.release("a.bmp");
             s.release("b.bmp");
             const bool shared = fs::exists("/tmp/.cache/tovrel");
             const BatchOutcome run =
                 runBatch(s.args("out.tif"), s.env({"HOME=", "XDG_CACHE_HOME"}));
             ASSERT_EQ(run.exitCode, 0) << run.err;
             EXPECT_EQ(fs::exists("/tmp/.cache/tovrel"), shared);
         }},
        {"full disk during a decode",
         [](CacheScene& s) {
             s.release("a.bmp");
             s.release("b.bmp");
             BatchEnvironment full = s.env();
             full.maxFileBytes = 1000;
             expectRefused(runBatch(s.args("out.tif"), full),
                           "无法写入解码缓存：" + systemErrorText(EFBIG));
             EXPECT_EQ(s.cacheFiles(), std::vector<std::string>{});
         }},
    };
    return rows;
}

TEST(PictureCacheFaults, EachFaultEndsWellForEveryProcess) {
    for (const FaultRow& row : faultRows()) {
        SCOPED_TRACE(row.what);
        CacheScene scene;
        row.run(scene);
    }
}

} // namespace
} // namespace tovrel::test
