#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the small PNG files the CLI tests read: one per colour type and bit depth worth
checking, each with known samples, plus a file whose chunks are intact but whose image data
is not a valid deflate stream. Run it here to remake them; the tests hold the expected
pixels."""
import struct
import zlib


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(width, height, depth, colour_type, rows, extra=b"", interlace=0, idat=None):
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    raw = b"".join(b"\x00" + row for row in rows)  # filter 0 on every row
    data = idat if idat is not None else zlib.compress(raw, 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", data) + chunk(b"IEND", b""))


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# 16-bit RGBA, 2 x 1: low bytes chosen so that rounding would differ from the high byte.
write("rgba16.png", png(2, 1, 16, 6, [struct.pack(
    ">8H", 0x12FF, 0x3480, 0x5601, 0xFFFF, 0x0080, 0xFF7F, 0x80FF, 0x00FF)]))

# 16-bit grey, 2 x 1.
write("gray16.png", png(2, 1, 16, 0, [struct.pack(">2H", 0xA0FF, 0x0190)]))

# 4-bit palette with a tRNS entry, 3 x 1: entries 0, 1, 2.
plte = chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0, 0, 0, 255]))
trns = chunk(b"tRNS", bytes([255, 64]))
write("palette4.png", png(3, 1, 4, 3, [bytes([0x01, 0x20])], extra=plte + trns))

# 1-bit grey, 8 x 1: 1 0 1 1 0 0 1 0.
write("gray1.png", png(8, 1, 1, 0, [bytes([0b10110010])]))

# 8-bit grey with alpha, 2 x 1.
write("graya8.png", png(2, 1, 8, 4, [bytes([200, 100, 7, 0])]))

# 8-bit RGB with a tRNS key colour, 2 x 1: the second pixel is the key.
key = chunk(b"tRNS", struct.pack(">3H", 10, 20, 30))
write("rgb8_key.png", png(2, 1, 8, 2, [bytes([1, 2, 3, 10, 20, 30])], extra=key))

# 8-bit RGB, Adam7-interlaced, 3 x 3: pixel (x, y) = (x * 100, y * 100, 7).
def adam7_rows():
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4),
              (1, 0, 2, 2), (0, 1, 1, 2)]
    raw = b""
    for x0, y0, dx, dy in passes:
        xs = range(x0, 3, dx)
        ys = range(y0, 3, dy)
        if not xs or not ys:
            continue
        for y in ys:
            raw += b"\x00" + b"".join(bytes([x * 100, y * 100, 7]) for x in xs)
    return raw
write("rgb8_interlaced.png", png(3, 3, 8, 2, [], interlace=1,
                                 idat=zlib.compress(adam7_rows(), 9)))

# Intact chunks around image data that does not inflate.
write("broken_data.png", png(2, 2, 8, 2, [], idat=b"\x78\x9c\xff\xff\xff\xff\x00\x13"))
