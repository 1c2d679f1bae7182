#include "tests/intake/picture_variants.h"

#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <QColor>
#include <QTransform>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <tiffio.h>

namespace fs = std::filesystem;

namespace tovrel::test {

namespace {

constexpr int W = 37; // odd, so rows have pad bytes
constexpr int H = 23;

// The source samples, 16 bits each; alpha runs from clear to opaque.
struct Px {
    uint32_t r, g, b, a;
};
Px pattern(int x, int y) {
    return {(uint32_t(x) * 1777 + uint32_t(y) * 263) * 29 % 65536,
            (uint32_t(x) * 911 + uint32_t(y) * 3001 + 17) * 13 % 65536,
            (uint32_t(x ^ y) * 2011 + uint32_t(x * y) * 7) % 65536,
            y < 3 ? 65535u : (uint32_t(x) * 1500 + uint32_t(y) * 2900) % 65536};
}

// The pixel rules, in floating point: c over white in depth M, then to 8 bits.
uint8_t over(double c, double a, double M) {
    const double v = std::floor((c * a + M * (M - a)) / M + 0.5);
    return static_cast<uint8_t>(std::floor(v * 255 / M + 0.5));
}
uint8_t to8(double v, double M) {
    return static_cast<uint8_t>(std::floor(v * 255 / M + 0.5));
}

template <typename F> QImage imageOf(F pixel) {
    QImage out(W, H, QImage::Format_RGB888);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            out.setPixel(x, y, pixel(x, y));
        }
    }
    return out;
}

// What a run uses for a PNG, from the samples as Qt reads them back.
QImage fromQtSamples(const fs::path& file, bool deep) {
    const QImage back(QString::fromStdString(file.string()));
    return imageOf([&](int x, int y) {
        if (deep) {
            const QRgba64 p = back.pixelColor(x, y).rgba64();
            return qRgb(over(p.red(), p.alpha(), 65535), over(p.green(), p.alpha(), 65535),
                        over(p.blue(), p.alpha(), 65535));
        }
        const QRgb p = back.pixel(x, y);
        return qRgb(over(qRed(p), qAlpha(p), 255), over(qGreen(p), qAlpha(p), 255),
                    over(qBlue(p), qAlpha(p), 255));
    });
}

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

PictureVariant qtPng(const std::string& name, QImage::Format format, bool deep) {
    return {name, [=](const fs::path& dir, QImage& expected) {
                QImage img(W, H, format);
                if (format == QImage::Format_Indexed8) {
                    QList<QRgb> table;
                    for (int i = 0; i < 40; ++i) {
                        const Px p = pattern(i, i + 3);
                        table << qRgba(p.r >> 8, p.g >> 8, p.b >> 8, i % 3 == 0 ? 255 : p.a >> 8);
                    }
                    img.setColorTable(table);
                }
                for (int y = 0; y < H; ++y) {
                    for (int x = 0; x < W; ++x) {
                        const Px p = pattern(x, y);
                        if (img.depth() <= 8 && format != QImage::Format_Grayscale8) {
                            img.setPixel(x, y,
                                         (x + 2 * y) % (format == QImage::Format_Mono ? 2 : 40));
                        } else {
                            img.setPixelColor(x, y, QColor::fromRgba64(p.r, p.g, p.b, p.a));
                        }
                    }
                }
                const fs::path file = dir / (name + ".png");
                img.save(q(file), "PNG");
                expected = fromQtSamples(file, deep);
                return file;
            }};
}

// A netpbm file of the pattern: P5 (grey) or P6 with the given maxval.
void writePnm(const fs::path& file, bool grey, uint32_t maxval, int channel = 0) {
    std::ofstream out(file, std::ios::binary);
    out << (grey ? "P5" : "P6") << "\n" << W << " " << H << "\n" << maxval << "\n";
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const Px p = pattern(x, y);
            const uint32_t all[4] = {p.r, p.g, p.b, p.a};
            for (int k = 0; k < (grey ? 1 : 3); ++k) {
                const uint32_t v = all[grey ? channel : k] * maxval / 65535;
                if (maxval > 255) {
                    out.put(char(v >> 8));
                }
                out.put(char(v & 255));
            }
        }
    }
}

PictureVariant netpbmPng(const std::string& name, bool grey, uint32_t maxval, bool alpha) {
    return {name, [=](const fs::path& dir, QImage& expected) {
                const fs::path pnm = dir / (name + ".pnm"), file = dir / (name + ".png");
                writePnm(pnm, grey, maxval);
                std::string alphaOption;
                if (alpha) {
                    writePnm(dir / "alpha.pgm", true, maxval, 3);
                    alphaOption = " -alpha=" + (dir / "alpha.pgm").string();
                }
                shell("pnmtopng -interlace" + alphaOption + " " + pnm.string() + " > " +
                      file.string() + " 2>/dev/null");
                expected = fromQtSamples(file, maxval > 255);
                return file;
            }};
}

// A TIFF written through libtiff: `value` gives sample k of pixel (x, y).
struct TiffSpec {
    int bits = 8, samples = 3, photometric = PHOTOMETRIC_RGB, extra = -1, orientation = 1;
};
void writeTiff(const fs::path& file, const TiffSpec& s,
               const std::function<uint32_t(int, int, int)>& value) {
    TIFF* t = TIFFOpen(file.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, H);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 5);
    if (s.extra >= 0) {
        const uint16_t extra = static_cast<uint16_t>(s.extra);
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (s.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> r(1u << s.bits), g(r.size()), b(r.size());
        for (size_t i = 0; i < r.size(); ++i) {
            const Px p = pattern(int(i), 5);
            r[i] = uint16_t(p.r), g[i] = uint16_t(p.g), b[i] = uint16_t(p.b);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    std::vector<uint8_t> row(size_t((W * s.samples * s.bits + 7) / 8));
    for (int y = 0; y < H; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int i = 0; i < W * s.samples; ++i) {
            const uint32_t v = value(i / s.samples, y, i % s.samples);
            if (s.bits == 16) {
                const uint16_t v16 = uint16_t(v);
                std::memcpy(&row[size_t(i) * 2], &v16, 2);
            } else {
                const int bit = i * s.bits;
                row[size_t(bit / 8)] |= uint8_t(v << (8 - s.bits - bit % 8));
            }
        }
        TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
    }
    TIFFClose(t);
}

PictureVariant tiff(const std::string& name, TiffSpec s, const std::string& tiffcp = "") {
    return {name, [=](const fs::path& dir, QImage& expected) {
                const double M = s.bits == 16 ? 65535 : 255;
                const uint32_t most = (1u << s.bits) - 1;
                const bool grey = s.photometric == PHOTOMETRIC_MINISBLACK ||
                                  s.photometric == PHOTOMETRIC_MINISWHITE;
                auto value = [=](int x, int y, int k) -> uint32_t {
                    const Px p = pattern(x, y);
                    if (s.photometric == PHOTOMETRIC_PALETTE) {
                        return uint32_t(x + y) % (most + 1);
                    }
                    const uint32_t c[4] = {p.r, p.g, p.b, p.a};
                    const uint32_t a = c[3] * most / 65535;
                    const uint32_t v =
                        (grey && k == 0 ? p.g : c[k == s.samples - 1 && s.extra >= 0 ? 3 : k]) *
                        most / 65535;
                    // Associated alpha: colours stored multiplied by alpha.
                    return s.extra == EXTRASAMPLE_ASSOCALPHA && k < s.samples - 1 ? v * a / most
                                                                                  : v;
                };
                expected = imageOf([&](int x, int y) {
                    if (s.photometric == PHOTOMETRIC_PALETTE) {
                        const Px p = pattern(int(value(x, y, 0)), 5);
                        return qRgb(to8(p.r, 65535), to8(p.g, 65535), to8(p.b, 65535));
                    }
                    uint8_t c[3];
                    for (int k = 0; k < 3; ++k) {
                        double v = value(x, y, grey ? 0 : k);
                        if (s.photometric == PHOTOMETRIC_MINISWHITE) {
                            v = most - v;
                        }
                        const double a = s.extra >= 0 ? value(x, y, s.samples - 1) : most;
                        const double Md = s.bits < 8 ? most : M;
                        c[k] = s.extra == EXTRASAMPLE_ASSOCALPHA ? to8(std::min(Md, v + Md - a), Md)
                                                                 : over(v, a, Md);
                    }
                    return qRgb(c[0], c[1], c[2]);
                });
                expected = upright(expected, s.orientation);
                const fs::path raw = dir / (name + "-raw.tif"), file = dir / (name + ".tif");
                writeTiff(tiffcp.empty() ? file : raw, s, value);
                if (!tiffcp.empty()) {
                    shell("tiffcp " + tiffcp + " " + raw.string() + " " + file.string());
                }
                return file;
            }};
}

PictureVariant jpeg(const std::string& name, const std::string& options, int orientation = 1) {
    return {name, [=](const fs::path& dir, QImage& expected) {
                const fs::path ppm = dir / (name + ".ppm"), file = dir / (name + ".jpg");
                const fs::path ref = dir / (name + "-djpeg.bmp");
                writePnm(ppm, false, 255);
                shell("cjpeg -quality 85 " + options + " " + ppm.string() + " > " + file.string());
                shell("djpeg -bmp " + file.string() + " > " + ref.string());
                if (orientation != 1) {
                    writeFile(file, withExifOrientation(readFile(file), orientation));
                }
                expected =
                    upright(QImage(q(ref)).convertToFormat(QImage::Format_RGB888), orientation);
                return file;
            }};
}

// A BMP built byte by byte. `pixel` gives the stored bytes of a pixel
// (little-endian) or its palette index; `rle` codes rows as runs.
struct BmpSpec {
    int bits = 32;
    uint32_t compression = 0;
    bool topDown = false;
    std::vector<uint32_t> masks; // red, green, blue[, alpha]
    int paletteSize = 0;
};
std::vector<unsigned char> bmpBytes(const BmpSpec& s, const std::function<uint32_t(int, int)>& px) {
    const uint32_t info = s.masks.size() == 4 ? 108 : 40;
    const uint32_t extra = info == 40 ? uint32_t(s.masks.size()) * 4 : 0;
    const uint32_t dataOff = 14 + info + extra + uint32_t(s.paletteSize) * 4;
    std::vector<unsigned char> b(dataOff, 0);
    b[0] = 'B', b[1] = 'M';
    putLE32(b, 10, dataOff);
    putLE32(b, 14, info);
    putLE32(b, 18, W);
    putLE32(b, 22, uint32_t(s.topDown ? -H : H));
    putLE16(b, 26, 1);
    putLE16(b, 28, uint16_t(s.bits));
    putLE32(b, 30, s.compression);
    putLE32(b, 38, 3780);
    putLE32(b, 46, uint32_t(s.paletteSize));
    for (size_t k = 0; k < s.masks.size(); ++k) {
        putLE32(b, 54 + 4 * k, s.masks[k]);
    }
    for (int i = 0; i < s.paletteSize; ++i) {
        const Px p = pattern(i, 9);
        const size_t at = 14 + info + extra + size_t(i) * 4;
        b[at] = uint8_t(p.b >> 8), b[at + 1] = uint8_t(p.g >> 8), b[at + 2] = uint8_t(p.r >> 8);
    }
    for (int n = 0; n < H; ++n) {
        const int y = s.topDown ? n : H - 1 - n;
        if (s.compression == 1 || s.compression == 2) {
            // Runs of equal indices, one absolute stretch of three on row 0.
            int x = 0;
            if (y == 0) {
                b.insert(b.end(), {0, 3});
                if (s.bits == 8) {
                    b.insert(b.end(), {uint8_t(px(0, y)), uint8_t(px(1, y)), uint8_t(px(2, y)), 0});
                } else {
                    b.insert(b.end(), {uint8_t(px(0, y) << 4 | px(1, y)), uint8_t(px(2, y) << 4)});
                }
                x = 3;
            }
            while (x < W) {
                int run = 1;
                while (x + run < W && px(x + run, y) == px(x, y)) {
                    ++run;
                }
                const uint32_t i = px(x, y);
                b.insert(b.end(), {uint8_t(run), uint8_t(s.bits == 8 ? i : i << 4 | i)});
                x += run;
            }
            b.insert(b.end(), {0, 0});
            continue;
        }
        const size_t start = b.size();
        b.resize(start + size_t((W * s.bits + 31) / 32 * 4), 0);
        for (int x = 0; x < W; ++x) {
            const uint32_t v = px(x, y);
            if (s.bits >= 8) {
                for (int k = 0; k < s.bits / 8; ++k) {
                    b[start + size_t(x * s.bits / 8 + k)] = uint8_t(v >> (8 * k));
                }
            } else {
                b[start + size_t(x * s.bits / 8)] |= uint8_t(v << (8 - s.bits - x * s.bits % 8));
            }
        }
    }
    if (s.compression != 0 && s.compression != 3) {
        b.insert(b.end(), {0, 1});
    }
    return b;
}

PictureVariant bmp(const std::string& name, BmpSpec s) {
    return {name, [=](const fs::path& dir, QImage& expected) {
                const bool palette = s.paletteSize > 0;
                auto px = [=](int x, int y) -> uint32_t {
                    const Px p = pattern(x, y);
                    if (palette) {
                        return uint32_t(x / 3 + y) % uint32_t(s.paletteSize);
                    }
                    if (s.bits == 16) {
                        return (p.r >> 11) << (s.masks.empty() ? 10 : 11) |
                               (p.g >> (s.masks.empty() ? 11 : 10)) << 5 | p.b >> 11;
                    }
                    if (s.bits == 24) {
                        return (p.r >> 8) << 16 | (p.g >> 8) << 8 | p.b >> 8;
                    }
                    // 32 bits: red in the low byte with masks, else in byte 2.
                    return s.masks.empty()
                               ? (p.r >> 8) << 16 | (p.g >> 8) << 8 | p.b >> 8 | 0x5A000000
                               : (p.a >> 8) << 24 | (p.b >> 8) << 16 | (p.g >> 8) << 8 | p.r >> 8;
                };
                expected = imageOf([&](int x, int y) {
                    const Px p = pattern(x, y);
                    if (palette) {
                        const Px e = pattern(int(px(x, y)), 9);
                        return qRgb(int(e.r >> 8), int(e.g >> 8), int(e.b >> 8));
                    }
                    if (s.bits == 16) {
                        const bool six = !s.masks.empty();
                        return qRgb(to8(p.r >> 11, 31), to8(p.g >> (six ? 10 : 11), six ? 63 : 31),
                                    to8(p.b >> 11, 31));
                    }
                    const double a = s.masks.size() == 4 ? p.a >> 8 : 255;
                    return qRgb(over(p.r >> 8, a, 255), over(p.g >> 8, a, 255),
                                over(p.b >> 8, a, 255));
                });
                const fs::path file = dir / (name + ".bmp");
                writeFile(file, bmpBytes(s, px));
                return file;
            }};
}

} // namespace

bool shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::vector<unsigned char> withExifOrientation(const std::vector<unsigned char>& jpeg,
                                               int orientation) {
    // Big-endian TIFF structure: orientation, XResolution 72/1, ResolutionUnit inches.
    const std::vector<unsigned char> app1{
        0xFF, 0xE1, 0,    66,   'E', 'x',  'i',  'f', 0, 0, 'M', 'M', 0, 42, 0,
        0,    0,    8,    0,    3,   0x01, 0x12, 0,   3, 0, 0,   0,   1, 0,  uint8_t(orientation),
        0,    0,    0x01, 0x1A, 0,   5,    0,    0,   0, 1, 0,   0,   0, 50, 0x01,
        0x28, 0,    3,    0,    0,   0,    1,    0,   2, 0, 0,   0,   0, 0,  0,
        0,    0,    0,    72,   0,   0,    0,    1};
    std::vector<unsigned char> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

QImage upright(const QImage& stored, int orientation) {
    const bool turn = orientation >= 5;
    const QImage turned =
        turn ? stored.transformed(QTransform().rotate(orientation == 8 ? -90 : 90)) : stored;
    switch (orientation) {
    case 2:
        return turned.mirrored(true, false);
    case 3:
        return turned.mirrored(true, true);
    case 4:
    case 7:
        return turned.mirrored(false, true);
    case 5:
        return turned.mirrored(true, false);
    default:
        return turned;
    }
}

std::vector<PictureVariant> pictureVariants() {
    constexpr int kRgb = PHOTOMETRIC_RGB, kBlack = PHOTOMETRIC_MINISBLACK;
    constexpr int kWhite = PHOTOMETRIC_MINISWHITE, kPal = PHOTOMETRIC_PALETTE;
    constexpr int kAssoc = EXTRASAMPLE_ASSOCALPHA, kUnassoc = EXTRASAMPLE_UNASSALPHA;
    return {
        qtPng("png-rgb8", QImage::Format_RGB888, false),
        qtPng("png-rgba8", QImage::Format_ARGB32, false),
        qtPng("png-grey8", QImage::Format_Grayscale8, false),
        qtPng("png-grey16", QImage::Format_Grayscale16, true),
        qtPng("png-rgba16", QImage::Format_RGBA64, true),
        qtPng("png-rgb16", QImage::Format_RGBX64, true),
        qtPng("png-palette", QImage::Format_Indexed8, false),
        qtPng("png-1bit", QImage::Format_Mono, false),
        netpbmPng("png-adam7-rgb16", false, 65535, false),
        netpbmPng("png-adam7-grey2", true, 3, false),
        netpbmPng("png-adam7-grey4-alpha", true, 15, true),
        netpbmPng("png-adam7-grey8-alpha", true, 255, true),
        jpeg("jpeg-baseline", ""),
        jpeg("jpeg-progressive", "-progressive"),
        jpeg("jpeg-grey", "-grayscale"),
        jpeg("jpeg-orientation-6", "", 6),
        jpeg("jpeg-orientation-8", "-progressive", 8),
        jpeg("jpeg-orientation-5", "", 5),
        jpeg("jpeg-orientation-2", "", 2),
        tiff("tiff-rgb8", {}),
        tiff("tiff-rgb8-lzw", {}, "-c lzw"),
        tiff("tiff-rgb8-deflate", {}, "-c zip"),
        tiff("tiff-rgb8-packbits", {}, "-c packbits"),
        tiff("tiff-rgb8-tiles", {}, "-t -w 16 -l 16 -c lzw"),
        tiff("tiff-rgb16-lzw", {16, 3, kRgb}, "-c lzw"),
        tiff("tiff-grey8", {8, 1, kBlack}, "-c packbits"),
        tiff("tiff-grey16-white", {16, 1, kWhite}),
        tiff("tiff-grey1-white", {1, 1, kWhite}),
        tiff("tiff-grey4", {4, 1, kBlack}, "-c zip"),
        tiff("tiff-rgba8", {8, 4, kRgb, kUnassoc}, "-c lzw"),
        tiff("tiff-rgba16-assoc", {16, 4, kRgb, kAssoc}, "-t -w 32 -l 16 -c zip"),
        tiff("tiff-grey-alpha8", {8, 2, kBlack, kUnassoc}),
        tiff("tiff-palette4", {4, 1, kPal}),
        tiff("tiff-palette8", {8, 1, kPal}, "-c lzw"),
        tiff("tiff-orientation-6", {8, 3, kRgb, -1, 6}),
        tiff("tiff-orientation-3", {8, 1, kBlack, -1, 3}, "-c lzw"),
        tiff("tiff-orientation-7", {16, 3, kRgb, -1, 7}),
        bmp("bmp-32", {32}),
        bmp("bmp-32-fields", {32, 3, false, {0xFF, 0xFF00, 0xFF0000}}),
        bmp("bmp-32-alpha", {32, 3, false, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}}),
        bmp("bmp-16-555", {16}),
        bmp("bmp-16-565", {16, 3, false, {0xF800, 0x07E0, 0x001F}}),
        bmp("bmp-8", {8, 0, false, {}, 200}),
        bmp("bmp-4", {4, 0, false, {}, 16}),
        bmp("bmp-1", {1, 0, false, {}, 2}),
        bmp("bmp-rle8", {8, 1, false, {}, 30}),
        bmp("bmp-rle4", {4, 2, false, {}, 16}),
        bmp("bmp-24-top-down", {24, 0, true}),
        bmp("bmp-8-top-down", {8, 0, true, {}, 7}),
    };
}

} // namespace tovrel::test
