#include "tests/render/oracle_printer_engine.h"

#include "common/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tovrel::test {

namespace {

struct Strip {
    int64_t picture; // 1..V
    int64_t centre;  // the position (1-based) that holds its lens's centre
    bool white;
};

// Position i (1-based) of `count` across the lenses, as the rules state it.
Strip stripAt(int64_t i, int64_t count, double L, int64_t V, int64_t s, int64_t whiteWidth,
              std::optional<double> anchor) {
    const double c = anchor ? *anchor : count / 2.0;
    const double t = i - 0.5;
    // u = (t - c) / L, k = floor(u), phase = u - k, with the offset under the
    // lens taken as the exact remainder of t - c by L.
    double offset = std::fmod(t - c, L);
    if (offset < 0) {
        offset += L;
    }
    const double k = std::round((t - c - offset) / L);
    const double phiV = offset * V / L;
    const int64_t n = std::min<int64_t>(static_cast<int64_t>(std::floor(phiV)) + 1, V);
    const bool white = whiteWidth > 0 && phiV - (n - 1) >= 1 - static_cast<double>(whiteWidth) / s;
    const double held = std::floor(c + (k + 0.5) * L) + 1;
    return {n, static_cast<int64_t>(std::min<double>(std::max<double>(held, 1), count)), white};
}

// The usual mapping of output column (or row) i to a frame column (or row)
// of a frame `length` pixels long: beyond the frame, its nearest pixel; by
// the first design, 0 (black) outside lo..length - 1.
int64_t frameIndex(int64_t i, float scale, int64_t length, EdgeRule edges, int64_t lo = 1) {
    const double x = roundHalfEven(i / static_cast<double>(scale));
    if (edges == EdgeRule::BlackEdges) {
        return x >= lo && x < length ? static_cast<int64_t>(x) : 0;
    }
    return static_cast<int64_t>(std::min<double>(std::max<double>(x, 1), length));
}

} // namespace

RunResult oraclePrinterInterlace(JobState& job, const RunSettings& settings, const RunHooks& hooks,
                                 EdgeRule edges, std::optional<double> anchor) {
    const int64_t V = job.ViewCount;
    const int64_t R = settings.printerPpi;
    job.tifW = static_cast<int32_t>(roundHalfEven(settings.widthCm / 2.54 * R));
    job.tifH = static_cast<int32_t>(roundHalfEven(settings.heightCm / 2.54 * R));
    job.fbl = static_cast<float>(R);
    job.RowBytes = job.tifW * 3;
    job.TifOK = 0;
    if (!hooks.makeTif(job, job.OutPath, TiffForm::Classic)) {
        return {RunOutcome::HeaderNotWritten, Status::ok()};
    }
    job.TifOK = 1;
    if (static_cast<double>(job.tifW) / job.tifH >= static_cast<double>(job.BaseW) / job.BaseH) {
        job.Scale = static_cast<float>(static_cast<double>(job.tifW) / job.BaseW);
    } else {
        job.Scale = static_cast<float>(static_cast<double>(job.tifH) / job.BaseH);
    }
    job.SharpB = static_cast<uint8_t>(roundHalfEven(job.Sharp));
    const double L = R * static_cast<double>(job.Pitch) / 25.4;
    const int64_t s = job.SharpB;
    const int64_t whiteWidth = settings.whiteGaps ? settings.whiteWidth : 0;

    const int out = ::open(job.OutPath.c_str(), O_RDWR);
    std::vector<int> in(std::size_t(V + 1), -1);
    for (int64_t n = 1; n <= V; ++n) {
        in[std::size_t(n)] = ::open(job.InPath(int(n)).c_str(), O_RDONLY);
    }
    // Frame pixel x of row y of picture n as red, green, blue.
    auto framePixel = [&](int64_t n, int64_t x, int64_t y, unsigned char* rgb) {
        unsigned char bgr[3];
        const int64_t at = (y - 1) * job.ImgStride(int(n)) + job.FramePos(int(n)) - 1 + 3 * (x - 1);
        if (::pread(in[std::size_t(n)], bgr, 3, at) != 3) {
            return false;
        }
        rgb[0] = bgr[2];
        rgb[1] = bgr[1];
        rgb[2] = bgr[0];
        return true;
    };
    bool ok = out >= 0;
    std::vector<unsigned char> row(std::size_t(job.RowBytes));
    for (int64_t r = 1; ok && r <= job.tifH; ++r) {
        const int64_t y = frameIndex(r, job.Scale, job.BaseH, edges, 2);
        if (y == 0) {
            continue; // the first design skipped such rows
        }
        std::fill(row.begin(), row.end(), 0);
        const Strip across =
            settings.horizontal ? stripAt(r, job.tifH, L, V, s, whiteWidth, anchor) : Strip{};
        const int64_t acrossY =
            settings.horizontal ? frameIndex(across.centre, job.Scale, job.BaseH, edges, 2) : y;
        for (int64_t j = 1; ok && j <= job.tifW; ++j) {
            unsigned char* pixel = row.data() + 3 * (j - 1);
            const Strip strip =
                settings.horizontal ? across : stripAt(j, job.tifW, L, V, s, whiteWidth, anchor);
            if (strip.white) {
                std::memset(pixel, 255, 3);
                continue;
            }
            const int64_t x =
                frameIndex(settings.horizontal ? j : strip.centre, job.Scale, job.BaseW, edges);
            if (x != 0 && acrossY != 0) {
                ok = framePixel(strip.picture, x, acrossY, pixel);
            }
        }
        job.PutPos = static_cast<int32_t>((job.tifH - r) * job.RowBytes + 1449);
        ok = ok && ::pwrite(out, row.data(), row.size(), job.PutPos - 1) ==
                       static_cast<ssize_t>(row.size());
    }
    ::close(out);
    for (int64_t n = 1; n <= V; ++n) {
        ::close(in[std::size_t(n)]);
    }
    return ok ? RunResult{RunOutcome::Done, Status::ok()}
              : RunResult{RunOutcome::Failed, Status::fail("oracle I/O")};
}

} // namespace tovrel::test
