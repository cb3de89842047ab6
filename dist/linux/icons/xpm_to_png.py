#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Converts a simple XPM picture (one character per pixel, #RRGGBB or None colours)
to a PNG with transparency. Standard library only."""
import re
import struct
import sys
import zlib


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', open(path, encoding="ascii").read())
    width, height, ncolours, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1 : 1 + ncolours]:
        key, fields = line[:cpp], line[cpp:].split()
        value = fields[fields.index("c") + 1]
        if value.lower() == "none":
            colours[key] = (0, 0, 0, 0)
        else:
            colours[key] = tuple(int(value[i : i + 2], 16) for i in (1, 3, 5)) + (255,)
    rows = strings[1 + ncolours : 1 + ncolours + height]
    return width, height, [[colours[r[x * cpp : (x + 1) * cpp]] for x in range(width)] for r in rows]


def write_png(path, width, height, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png(sys.argv[2], *read_xpm(sys.argv[1]))
