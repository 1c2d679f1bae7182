#include "tests/render/oracle_engine.h"

#include "common/rounding.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tovrel::test {

namespace {

// A byte array indexed from 1, every access checked.
class Bytes {
  public:
    explicit Bytes(int64_t length, uint8_t fill = 0) : bytes_(std::size_t(length), fill) {}
    uint8_t& operator()(int64_t i) { return bytes_.at(std::size_t(i - 1)); }
    uint8_t* data() { return bytes_.data(); }
    int64_t length() const { return static_cast<int64_t>(bytes_.size()); }

  private:
    std::vector<uint8_t> bytes_;
};

RunResult failed(const std::string& what) {
    return {RunOutcome::Failed, Status::fail(what + ": " + std::strerror(errno))};
}

} // namespace

RunResult oracleInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks,
                          EdgeRule edges) {
    const bool nearest = edges == EdgeRule::NearestPixel;
    const int V = job.ViewCount;

    // 1. Output geometry.
    const double W = settings.widthCm;
    const double H = settings.heightCm;
    job.tifW = static_cast<int32_t>(std::floor(W * 10 * job.Views * job.Sharp / job.Pitch));
    job.tifH = static_cast<int32_t>(std::floor(H * 10 * job.Views * job.Sharp / job.Pitch));
    job.fbl = static_cast<float>(double{job.Views} * job.Sharp * 10 * 2.54 / job.Pitch);
    job.RowBytes = job.tifW * 3;

    // 2. Header.
    job.TifOK = 0;
    if (hooks.makeTif(job, job.OutPath, TiffForm::Classic)) {
        job.TifOK = 1;
    }
    if (job.TifOK == 0) {
        return {RunOutcome::HeaderNotWritten, Status::ok()};
    }

    // 3. Scale.
    if (static_cast<double>(job.tifW) / job.tifH >= static_cast<double>(job.BaseW) / job.BaseH) {
        job.Scale = static_cast<float>(static_cast<double>(job.tifW) / job.BaseW);
    } else {
        job.Scale = static_cast<float>(static_cast<double>(job.tifH) / job.BaseH);
    }

    // 4. Strip values.
    job.SharpB = static_cast<uint8_t>(roundHalfEven(job.Sharp));
    const int64_t s = job.SharpB;
    const auto LensPixels = static_cast<uint8_t>(V * s);
    const int64_t LensBytes = LensPixels * 3;
    const int64_t StripBytes = s * 3;
    const int64_t RowBytes = job.RowBytes;

    // 5. Files and buffers.
    const int out = ::open(job.OutPath.c_str(), O_RDWR);
    if (out < 0) {
        return failed("open " + job.OutPath);
    }
    job.OutRow.assign(std::size_t(RowBytes), 0);
    auto OutRow = [&job](int64_t i) -> uint8_t& { return job.OutRow.at(std::size_t(i - 1)); };
    std::vector<int> in(std::size_t(V + 1), -1);
    std::vector<Bytes> SrcRow{Bytes(0)};
    std::vector<Bytes> ViewRow{Bytes(0)};
    for (int n = 1; n <= V; ++n) {
        in[std::size_t(n)] = ::open(job.InPath(n).c_str(), O_RDONLY);
        SrcRow.emplace_back(static_cast<int64_t>(job.ImgW(n)) * 3);
        ViewRow.emplace_back(RowBytes);
    }
    Bytes WhiteRow(RowBytes, 255);
    const int64_t WhiteWidth = settings.whiteWidth;
    auto closeAll = [&] {
        ::close(out);
        for (int n = 1; n <= V; ++n) {
            ::close(in[std::size_t(n)]);
        }
    };
    auto put = [&](uint8_t* row, int64_t r) {
        job.PutPos = static_cast<int32_t>((job.tifH - r) * RowBytes + 1449);
        return ::pwrite(out, row, std::size_t(RowBytes), job.PutPos - 1) == RowBytes;
    };

    // 6. Rows.
    for (int64_t r = 1; r <= job.tifH; ++r) {
        // 6.1 Source row.
        double y = roundHalfEven(r / static_cast<double>(job.Scale));
        if (nearest) {
            y = std::clamp(y, 1.0, static_cast<double>(job.BaseH));
        } else if (y <= 1 || y >= job.BaseH) {
            continue;
        }
        // 6.2 Read. Bytes past the end of the file are never used.
        for (int n = 1; n <= V; ++n) {
            job.ReadPos(n) = static_cast<int32_t>((y - 1) * job.ImgStride(n) + job.FramePos(n));
            const ssize_t got =
                ::pread(in[std::size_t(n)], SrcRow[std::size_t(n)].data(),
                        std::size_t(SrcRow[std::size_t(n)].length()), job.ReadPos(n) - 1);
            if (got < static_cast<ssize_t>(job.BaseW) * 3) {
                closeAll();
                return failed("read " + job.InPath(n));
            }
        }
        // 6.3 Resample.
        for (int64_t j = 1; j <= job.tifW; ++j) {
            double xd = roundHalfEven(j / static_cast<double>(job.Scale));
            if (nearest) {
                xd = std::clamp(xd, 1.0, static_cast<double>(job.BaseW));
            }
            if (1 <= xd && (nearest || xd < job.BaseW)) {
                const auto x = static_cast<int64_t>(xd);
                for (int n = 1; n <= V; ++n) {
                    ViewRow[std::size_t(n)](3 * j - 2) = SrcRow[std::size_t(n)](3 * x);
                    ViewRow[std::size_t(n)](3 * j - 1) = SrcRow[std::size_t(n)](3 * x - 1);
                    ViewRow[std::size_t(n)](3 * j) = SrcRow[std::size_t(n)](3 * x - 2);
                }
            }
        }
        // 6.4 Interlace and write.
        if (!settings.horizontal) {
            for (int64_t i = 1; i <= RowBytes; ++i) {
                OutRow(i) = ViewRow[1](i);
            }
            for (int n = 2; n <= V; ++n) {
                const int64_t o = (n - 1) * StripBytes;
                for (int64_t i = 1; i <= RowBytes - 2 - o; i += LensBytes) {
                    OutRow(o + i) = ViewRow[std::size_t(n)](o + i);
                    OutRow(o + i + 1) = ViewRow[std::size_t(n)](o + i + 1);
                    OutRow(o + i + 2) = ViewRow[std::size_t(n)](o + i + 2);
                }
            }
            const int64_t F = settings.whiteGaps ? s - WhiteWidth - 1 : s - 1;
            for (int64_t k = 1; k <= F; ++k) {
                for (int64_t v = 1; v <= RowBytes - 3 * k - 2; v += StripBytes) {
                    OutRow(v + 3 * k) = OutRow(v);
                    OutRow(v + 3 * k + 1) = OutRow(v + 1);
                    OutRow(v + 3 * k + 2) = OutRow(v + 2);
                }
            }
            if (settings.whiteGaps) {
                const int64_t D = 3 * (s - 1);
                for (int64_t v = 1; v <= RowBytes - D - 2; v += StripBytes) {
                    for (int64_t u = 1; u <= WhiteWidth; ++u) {
                        OutRow(v + D - 3 * (u - 1)) = 255;
                        OutRow(v + D - 3 * (u - 1) + 1) = 255;
                        OutRow(v + D - 3 * (u - 1) + 2) = 255;
                    }
                }
            }
            if (!put(job.OutRow.data(), r)) {
                closeAll();
                return failed("write");
            }
        } else {
            for (int n = 1; n <= V; ++n) {
                const int64_t t = r - 1 - (n - 1) * s;
                if (t == 0 || (t > 0 && t % LensPixels == 0)) {
                    for (int64_t i = 1; i <= RowBytes; ++i) {
                        OutRow(i) = ViewRow[std::size_t(n)](i);
                    }
                }
            }
            if (!settings.whiteGaps || (r - 1) % s != 0 || WhiteWidth == 0) {
                if (!put(job.OutRow.data(), r)) {
                    closeAll();
                    return failed("write");
                }
            } else {
                int64_t last = r;
                for (int64_t q = r; q <= r + WhiteWidth - 1 && q <= job.tifH; ++q) {
                    if (!put(WhiteRow.data(), q)) {
                        closeAll();
                        return failed("write");
                    }
                    last = q;
                }
                r = last;
            }
        }
        // 6.5 Progress.
        if (hooks.progress) {
            hooks.progress(static_cast<int>(r * 1000 / job.tifH));
        }
    }

    // 7. End.
    closeAll();
    return {RunOutcome::Done, Status::ok()};
}

} // namespace tovrel::test
