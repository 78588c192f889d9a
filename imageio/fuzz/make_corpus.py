#!/usr/bin/env python3
"""Writes the seed corpus of ovio_readers_fuzz: small TIFF, BMP, PIC and memory inputs,
each behind the 8 bytes that choose the format and the read request."""
import os
import struct
import sys

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "ovio_readers_fuzz")
os.makedirs(out, exist_ok=True)


def request(select, ow=16, oh=12, x=0, y=0, sw=0, sh=0, colour=0):
    return bytes([select, ow - 1, oh - 1, x & 255, y & 255, sw & 255, sh & 255, colour])


def tiff(entries, extra):
    d = b"II" + struct.pack("<HI", 42, 8) + struct.pack("<H", len(entries))
    for tag, typ, count, value in entries:
        d += struct.pack("<HHII", tag, typ, count, value)
    return d + struct.pack("<I", 0) + extra


def pixels(n, seed):
    return bytes((i * 37 + seed * 11 + (i >> 3)) & 255 for i in range(n))


def grey_tiff(w, h):
    base = 8 + 2 + 12 * 7 + 4
    e = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, 8), (262, 3, 1, 1), (273, 4, 1, base),
         (277, 3, 1, 1), (279, 4, 1, w * h)]
    return tiff(e, pixels(w * h, 1))


def colour_tiff(w, h):
    base = 8 + 2 + 12 * 7 + 4
    e = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 3, base), (262, 3, 1, 2), (273, 4, 1, base + 6),
         (277, 3, 1, 3), (279, 4, 1, w * h * 3)]
    return tiff(e, struct.pack("<HHH", 8, 8, 8) + pixels(w * h * 3, 2))


def strip_palette_tiff(w, h, rows):
    n = (h + rows - 1) // rows
    count = 9
    base = 8 + 2 + 12 * count + 4
    offs, cnts = base, base + 4 * n
    cmap = base + 8 * n
    data = cmap + 1536
    strips, sizes, at = [], [], data
    for s in range(n):
        r = min(rows, h - s * rows)
        strips.append(at)
        sizes.append(r * w)
        at += r * w
    e = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 3),
         (273, 4, n, offs), (277, 3, 1, 1), (279, 4, n, cnts), (320, 3, 768, cmap)]
    extra = struct.pack("<%dI" % n, *strips) + struct.pack("<%dI" % n, *sizes)
    extra += struct.pack("<768H", *[((i * 53) & 255) << 8 for i in range(768)])
    return tiff(e, extra + pixels(w * h, 3))


def bmp(w, h, bits):
    line = (w * bits // 8 + 3) & ~3
    off = 54 + (1024 if bits == 8 else 0)
    head = b"BM" + struct.pack("<IHHIIiiHHIIiiII", off + line * h, 0, 0, off, 40, w, h, 1, bits,
                               0, line * h, 0, 0, 0, 0)
    pal = b"".join(bytes([i, 255 - i, i // 2, 0]) for i in range(256)) if bits == 8 else b""
    return head + pal + pixels(line * h, 4)


seeds = {
    "tiff_grey": request(0) + grey_tiff(20, 15),
    "tiff_grey_clip": request(0x84, 9, 30, 3, 2, 5, 0) + grey_tiff(12, 10),
    "tiff_colour": request(0, 10, 10, colour=1) + colour_tiff(7, 5),
    "tiff_palette_strips": request(0x84, 20, 20, -50 & 255, 0, -50 & 255, -100 & 255, 1)
    + strip_palette_tiff(9, 11, 4),
    "bmp_8": request(1, 24, 8) + bmp(13, 6, 8),
    "bmp_24": request(1, 8, 24, colour=1) + bmp(5, 9, 24),
    "pic_grey": request(4, 32, 32) + pixels(65280, 5)[:4096],
    "memory": request(5, 10, 10, colour=1) + bytes([7, 5, 1, 2, 1, 1]) + pixels(26 * 6, 6),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
print("wrote %d seeds to %s" % (len(seeds), out), file=sys.stderr)
