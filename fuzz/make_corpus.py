#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

Each seed is a small, valid example of its target's input format (described
at the top of each *_fuzzer.cpp), so that fuzzing starts from pictures,
numbers and data files that get past the first checks. Run it again after
changing a format: python3 fuzz/make_corpus.py
"""

import math
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u16(n):
    return struct.pack("<H", n)


def text(s):
    b = s.encode("utf-8")
    return bytes([len(b)]) + b


# --- bmp_frame: slots of anchor texts and BMP files ------------------------


def bmp_header(width, height, info=40, bits=24, compression=0, res=2835, offset=None):
    """File and information header of a bottom-up BMP; pixels not included."""
    stride = (width * 3 + 3) // 4 * 4
    data_off = 14 + info if offset is None else offset
    area = stride * height
    head = b"BM" + struct.pack("<IHHi", (data_off + area) & 0xFFFFFFFF, 0, 0, data_off)
    head += struct.pack("<IiiHHIIiiII", info, width, height, 1, bits, compression,
                        area & 0xFFFFFFFF, res, res, 0, 0)
    head += bytes(info - 40)
    return head, data_off + stride * height


def slot(x, y, width, height, **fields):
    """A slot whose file is the header, padded with zero bytes to full length
    (as far as the 16-bit padding count reaches)."""
    head, length = bmp_header(width, height, **fields)
    pad = min(0xFFFF, length - len(head))
    return text(x) + text(y) + u16(pad) + u16(len(head)) + head


def bmp_frame_seeds():
    box = u16(2399)
    return {
        "one_picture": bytes([0]) + box + slot("", "", 8, 6),
        "two_sizes": bytes([1]) + box + slot("0", "0", 8, 6) + slot("0", "0", 16, 12),
        "anchored": bytes([1]) + box + slot("2", "3", 16, 12) + slot("0", "0", 16, 12),
        "four_slots": bytes([3]) + box + slot("1", "1", 5, 5) + slot("0", "2", 7, 4)
        + slot("3", "0", 6, 6) + slot("2", "2", 9, 3),
        "long_headers": bytes([2]) + box + slot("0", "0", 5, 3, info=108)
        + slot("1", "1", 6, 4, info=124) + slot("0", "1", 5, 5),
        "anchor_texts": bytes([1]) + box + slot("&H2", " 1E0 ", 12, 10)
        + slot("3 px", "-1", 10, 12, res=3780),
        "zero_resolution": bytes([1]) + box + slot("0", "0", 4, 4, res=0) + slot("0", "0", 4, 4),
        "wide_row": bytes([1]) + box + slot("0", "0", 715827881, 1) + slot("0", "0", 4, 4),
    }


# --- numbers: a double, a float, a spread byte and a text ------------------


def number_seed(d, f, spread, s):
    return struct.pack("<dfB", d, f, spread) + s.encode("utf-8")


def numbers_seeds():
    return {
        "pitch": number_seed(0.254, 0.254, 0, "0.254"),
        "width": number_seed(22.57, 1.3333334, 3, "3 倍清晰"),
        "label": number_seed(2257.4956, 16.93, 1, "栅距mm"),
        "exponent": number_seed(1e15, 1e-5, 5, "1.5E-06"),
        "hex": number_seed(-0.5, 2.5, 2, "&HFF"),
        "octal": number_seed(5e-324, 1e-45, 4, "&O777"),
        "largest": number_seed(1.7976931348623157e308, 3.4028234e38, 6, "1D308"),
        "signed": number_seed(-1234567.5, -0.3, 7, "  -12.5e+3x"),
        "halves": number_seed(2.5, 0.5, 8, "+.5"),
        "infinite": number_seed(math.inf, math.nan, 9, "1" * 400),
    }


# --- pitch_store: a data file and operations on it --------------------------

WHOLE, LEFTOVER = 1, 2
LOAD, REMOVE, APPEND, TEMPLATE = range(4)


def entries(*values):
    return b"".join(struct.pack("<f", v) for v in values)


def store_seed(flags, tail, ops, short_length=0, seed=7):
    out = bytes([flags])
    if not flags & WHOLE:
        out += u16(short_length)
    out += bytes([seed]) + u16(len(tail)) + tail
    for kind, value in ops:
        out += bytes([kind]) + value
    return out


def bits(v):
    return bytes([0]) + struct.pack("<f", v)


def entry(k):
    return bytes([1, k])


def typed(s):
    return bytes([2]) + text(s)


def pitch_store_seeds():
    three = entries(0.254, 0.5, 0.254)
    return {
        "delete_copies": store_seed(WHOLE, three, [(LOAD, bits(0)), (REMOVE, entry(0)),
                                                   (LOAD, bits(0))]),
        "append_then_delete": store_seed(WHOLE, three, [(APPEND, typed("0.3")),
                                                        (REMOVE, typed("0.5")),
                                                        (TEMPLATE, bits(0))]),
        "label_deletes_zero": store_seed(WHOLE, entries(0.0, -0.0, 1.0),
                                         [(REMOVE, typed("栅距mm")), (LOAD, bits(0))]),
        "stray_tail": store_seed(WHOLE, three + b"\x01\x02", [(APPEND, bits(0.7)),
                                                              (REMOVE, entry(1))]),
        "leftover_temp": store_seed(WHOLE | LEFTOVER, entries(0.3),
                                    [(REMOVE, bits(2.0)), (LOAD, bits(0))]),
        "empty_list": store_seed(WHOLE, b"", [(LOAD, bits(0)), (APPEND, bits(0.254))]),
        "short_file": store_seed(LEFTOVER, b"", [(LOAD, bits(0)), (REMOVE, bits(0)),
                                                 (APPEND, bits(1.0))], short_length=1000),
        "nan_entry": store_seed(WHOLE, entries(math.nan, 0.5),
                                [(REMOVE, entry(0)), (REMOVE, entry(1))]),
    }


# --- engine_run: pictures, settings and an output path ----------------------

WHITE, HORIZONTAL, EARLIER, SHORTEN, BIGTIFF = 1, 2, 4, 8, 16
PLAIN, SOURCE, DATA_FILE, FOLDER, MISSING_FOLDER = range(5)
INFO_SIZES = {40: 0, 108: 1, 124: 2, 12: 3}


def picture(width, height, x="0", y="0", gap=0, info=40, tail=0, patches=()):
    out = bytes([1]) + text(x) + text(y)
    out += bytes([width - 1, height - 1, gap, INFO_SIZES[info], tail & 0xFF, len(patches)])
    for at, value in patches:
        out += bytes([at, value])
    return out


def raw_picture(width, height):
    head, length = bmp_header(width, height)
    body = bytes((k * 7) & 0xFF for k in range(length - len(head)))
    return bytes([0]) + text("0") + text("0") + u16(length) + head + body


def run_seed(pictures, pitch="0.5", sharp="2", width="0.5", height="0.4", flags=0,
             white=0, output=PLAIN, shorten=None):
    out = bytes([len(pictures) - 1]) + text(pitch) + text(sharp) + text(width) + text(height)
    out += bytes([flags, white & 0xFF, output]) + b"".join(pictures)
    if shorten is not None:
        out += bytes([shorten[0]]) + u16(shorten[1])
    return out


def engine_run_seeds():
    two = [picture(8, 6), picture(8, 6)]
    return {
        "two_pictures": run_seed(two),
        "horizontal": run_seed(two, flags=HORIZONTAL),
        "white_gaps": run_seed([picture(9, 7), picture(8, 6, "1", "1")], sharp="3",
                               flags=WHITE, white=1),
        "four_anchored": run_seed([picture(12, 10, "2", "3"), picture(10, 12, "1", "4"),
                                   picture(11, 11, "0", "2"), picture(13, 9, "3", "1")],
                                  sharp="1", width="1", height="0.8"),
        "earlier_file": run_seed(two, flags=EARLIER),
        "typed_sharpness": run_seed([picture(7, 5, gap=3, info=108), picture(7, 5, info=124)],
                                    sharp="2.5 倍清晰", width="0.3", height="0.3"),
        "raw_files": run_seed([raw_picture(6, 4), raw_picture(6, 4)]),
        "junk_tail": run_seed([picture(5, 5, tail=9), picture(5, 5, tail=-2)]),
        "shortened": run_seed(two, flags=SHORTEN | EARLIER, shorten=(1, 40)),
        "onto_a_source": run_seed(two, flags=EARLIER, output=SOURCE),
        "onto_the_data_file": run_seed(two, output=DATA_FILE),
        "into_a_missing_folder": run_seed(two, output=MISSING_FOLDER),
        "patched_header": run_seed([picture(8, 6, patches=((28, 32), (30, 1))), picture(8, 6)]),
        # Inputs the fuzzer found, kept so every later run starts from them: a
        # file one byte longer than its pixels, and a picture cut short by
        # bytes no output column uses.
        "final_byte": run_seed([picture(9, 7), picture(8, 6, "1", "1")], sharp="3",
                               flags=WHITE, white=1),
        "unused_bytes_cut": bytes.fromhex(
            "0103302e3501320330 2e35033503340c00000101300130070500000000010130013007050000000001"
            " 2800".replace(" ", "")),
        "bigtiff": run_seed([picture(9, 7), picture(8, 6, "1", "1")], sharp="3",
                            flags=WHITE | BIGTIFF | EARLIER, white=1),
        "bigtiff_horizontal": run_seed([picture(6, 8), picture(7, 8), picture(6, 9, "0", "1")],
                                       width="0.3", height="0.7", flags=HORIZONTAL | BIGTIFF),
        "three_growing": run_seed([picture(4, 3), picture(4, 3), picture(4, 3)], pitch="0.254",
                                  sharp="2", width="1.2", height="0.9", flags=HORIZONTAL | WHITE,
                                  white=2),
    }


# --- picture_decode: crafted files that knocked decoders over -------------
# (the other seeds of picture_decode are pictures made with netpbm, cjpeg and
# libtiff's tools, kept as they are)


def tiff(tags, data):
    """A little-endian TIFF: data from offset 8, then the directory of
    (tag, [LONG values]) in ascending order."""
    out = bytearray(b"II*\0\0\0\0\0") + data
    at = {}
    for tag, values in tags:
        if len(values) > 1:
            at[tag] = len(out)
            out += b"".join(struct.pack("<I", v) for v in values)
    out += bytes(len(out) % 2)
    struct.pack_into("<I", out, 4, len(out))
    out += struct.pack("<H", len(tags))
    for tag, values in tags:
        out += struct.pack("<HHII", tag, 4, len(values), at.get(tag, values[0]))
    return bytes(out + bytes(4))


def crafted_picture_seeds():
    white_tiles = tiff([(256, [16]), (257, [16]), (258, [1]), (259, [1]), (262, [1]),
                        (277, [1]), (322, [4]), (323, [16]),
                        (324, [8 + 16 * t for t in range(4)]), (325, [16] * 4)],
                       b"\xf0" * 64)
    white_strip = tiff([(256, [16]), (257, [16]), (258, [1]), (259, [1]), (262, [1]),
                        (273, [8]), (277, [1]), (278, [16]), (279, [32])], b"\xff" * 32)
    wide_samples = tiff([(256, [1000000]), (257, [1]), (258, [16]), (259, [1]), (262, [1]),
                         (273, [8]), (277, [65535]), (278, [1]), (279, [4000])], bytes(4000))
    with open(os.path.join(HERE, "corpus", "picture_decode", "base.jpg"), "rb") as f:
        jfif201 = bytearray(f.read())
    jfif201[11:13] = b"\x02\x01"
    return {
        "tiles-1bit-4x16.tif": white_tiles,
        "strip-1bit-twin.tif": white_strip,
        "samples-65535.tif": wide_samples,
        "jfif-2.01.jpg": bytes(jfif201),
    }


# --- pitch_reading: small photographs and V-shaped band frequencies ---------


def pitch_reading_seeds():
    # A grey picture with one target-like square: a dark ring round a dark
    # centre, in modules of three pixels.
    side = 64
    grey = bytearray([200] * side * side)
    for y in range(27):
        for x in range(27):
            ring = max(abs(x // 3 - 4), abs(y // 3 - 4))
            if ring == 3 or ring <= 1:
                grey[(y + 10) * side + x + 10] = 20
    photo = bytes([0, side - 16, side - 16]) + bytes(grey)
    # The V of the default chart (41 bands) under lenses of 0.2541 mm,
    # every band in the fit.
    bands = b""
    for i in range(-20, 21):
        pitch = 0.254 + i * 0.000127
        bands += u16(round(1000 * abs(1 / pitch - 1 / 0.2541))) + b"\x01"
    return {"target.grey": photo, "v.bands": bytes([1]) + bands}


def add(target, seeds):
    for name, data in seeds.items():
        with open(os.path.join(HERE, "corpus", target, name), "wb") as f:
            f.write(data)


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("bmp_frame", bmp_frame_seeds())
    write("numbers", numbers_seeds())
    write("pitch_store", pitch_store_seeds())
    write("engine_run", engine_run_seeds())
    add("picture_decode", crafted_picture_seeds())
    write("pitch_reading", pitch_reading_seeds())
