#!/usr/bin/env python3
"""Writes an XPM picture (as resources/images/make_images.py draws them) as an RGBA PNG, so the
application icon can go into the desktop's icon theme, where PNG is the format every desktop reads.

    xpm_to_png.py IN.xpm OUT.png
"""
import os
import re
import struct
import sys
import zlib


def read_xpm(path):
    with open(path, encoding="ascii") as f:
        strings = re.findall(r'"((?:[^"\\]|\\.)*)"', f.read())
    width, height, ncolours, per = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolours]:
        code, fields = line[:per], line[per:].split()
        value = fields[fields.index("c") + 1]
        if value.lower() == "none":
            colours[code] = (0, 0, 0, 0)
        elif re.fullmatch(r"#[0-9a-fA-F]{6}", value):
            colours[code] = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5)) + (255,)
        else:
            raise ValueError("%s: colour %r is not #rrggbb or None" % (path, value))
    rows = strings[1 + ncolours:1 + ncolours + height]
    if len(rows) != height or any(len(r) != width * per for r in rows):
        raise ValueError("%s: the pixel rows do not match %dx%d" % (path, width, height))
    pixels = [[colours[r[x * per:(x + 1) * per]] for x in range(width)] for r in rows]
    return width, height, pixels


def write_png(path, width, height, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path + ".tmp", "wb") as f:
        f.write(png)
    os.replace(path + ".tmp", path)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_png(sys.argv[2], *read_xpm(sys.argv[1]))


if __name__ == "__main__":
    main()
