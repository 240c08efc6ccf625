#!/usr/bin/env python3
"""Draws the program's own pictures as XPM files (text, read by Qt without any plug-in).

    resources/images/make_images.py      rewrites the .xpm files beside this script

bitmap140.xpm  left edge of a track-list header item   2 x 17
bitmap141.xpm  right edge of a header item             2 x 17
bitmap142.xpm  middle slice of the header              1 x 17
ollivane<N>.xpm (N = 16, 24, 32, 48, 64, 128, 256)  the application icon: a disc, and an SD card
               carrying a note; the window uses 16 to 64, the desktop's icon theme all of them
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CODES = "".join(chr(c) for c in range(35, 127) if chr(c) not in '"\\')


def write_xpm(name, width, height, pixels):
    """pixels: rows of '#rrggbb' or None (transparent)."""
    colours = []
    for row in pixels:
        for p in row:
            if p not in colours:
                colours.append(p)
    per = 1 if len(colours) <= len(CODES) else 2

    def code(i):
        if per == 1:
            return CODES[i]
        return CODES[i // len(CODES)] + CODES[i % len(CODES)]

    ident = name.replace(".", "_")
    lines = ["/* XPM */", "static const char* %s[] = {" % ident,
             '"%d %d %d %d",' % (width, height, len(colours), per)]
    for i, c in enumerate(colours):
        lines.append('"%s c %s",' % (code(i), "None" if c is None else c))
    for y, row in enumerate(pixels):
        text = "".join(code(colours.index(p)) for p in row)
        lines.append('"%s"%s' % (text, "," if y + 1 < height else ""))
    lines.append("};")
    with open(os.path.join(HERE, name), "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


def hexc(r, g, b):
    return "#%02x%02x%02x" % (max(0, min(255, round(r))), max(0, min(255, round(g))), max(0, min(255, round(b))))


def header_gradient(y):
    """Brushed silver, light at the top, with a darker rule on the last row."""
    if y == 16:
        return hexc(128, 128, 128)
    t = y / 15.0
    v = 246 - 44 * t
    return hexc(v, v, v + 4)


def header_images():
    middle = [[header_gradient(y)] for y in range(17)]
    write_xpm("bitmap142.xpm", 1, 17, middle)
    # Left edge: a white highlight column, then the face.
    left = [[hexc(255, 255, 255) if y < 16 else header_gradient(y), header_gradient(y)] for y in range(17)]
    write_xpm("bitmap140.xpm", 2, 17, left)
    # Right edge: a soft shadow column, then a dark separator.
    right = [[hexc(170, 170, 176) if y < 16 else header_gradient(y), hexc(96, 96, 100)] for y in range(17)]
    write_xpm("bitmap141.xpm", 2, 17, right)


def icon_sample(x, y, size):
    """Colour (r, g, b, a) of the icon at a point in [0, size) x [0, size)."""
    s = size / 32.0
    cx, cy, radius = 13.5 * s, 13.5 * s, 13.5 * s
    # SD card: a blue card with its top-right corner cut, lower right.
    left, top, right, bottom = 17.0 * s, 13.0 * s, 31.0 * s, 31.5 * s
    cut = 4.5 * s
    in_card = left <= x <= right and top <= y <= bottom and (x - left) + (bottom - y) <= (right - left) + (bottom - top) - cut
    if in_card:
        edge = min(x - left, right - x, y - top, bottom - y,
                   ((right - left) + (bottom - top) - cut - ((x - left) + (bottom - y))) / 1.41)
        if edge < 1.0 * s:
            return (14, 44, 92, 255)
        # Note: a filled head and a stem with a flag, in white.
        hx, hy = 22.5 * s, 26.0 * s
        head = ((x - hx) / (2.4 * s)) ** 2 + ((y - hy) / (1.8 * s)) ** 2 <= 1.0
        stem = 24.0 * s <= x <= 25.2 * s and 18.0 * s <= y <= 26.0 * s
        flag = 25.2 * s <= x <= 28.0 * s and 18.0 * s <= y <= 19.6 * s + (x - 25.2 * s) * 0.6
        if head or stem or flag:
            return (255, 255, 255, 255)
        t = (y - top) / (bottom - top)
        return (40 - 10 * t, 110 - 30 * t, 200 - 40 * t, 255)
    d = math.hypot(x - cx, y - cy)
    if d > radius:
        return (0, 0, 0, 0)
    if d > radius - 1.0 * s:
        return (90, 90, 100, 255)
    if d < 2.2 * s:
        return (0, 0, 0, 0)
    if d < 3.2 * s:
        return (120, 120, 130, 255)
    if d < 5.0 * s:
        return (225, 228, 235, 255)
    # Silver with a faint rainbow sheen that turns with the angle.
    a = math.atan2(y - cy, x - cx)
    base = 200 + 30 * math.cos(2 * a)
    return (base + 25 * math.sin(a * 3), base + 25 * math.sin(a * 3 + 2.1), base + 25 * math.sin(a * 3 + 4.2), 255)


def icon(size):
    rows = []
    n = 4  # samples per axis
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = icon_sample(px + (sx + 0.5) / n, py + (sy + 0.5) / n, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            if acc[3] < 0.5 * 255 * n * n:
                row.append(None)
            else:
                # Few colours keep the file small and readable.
                q = [round(acc[i] / acc[3] / 8) * 8 for i in range(3)]
                row.append(hexc(*q))
        rows.append(row)
    write_xpm("ollivane%d.xpm" % size, size, size, rows)


if __name__ == "__main__":
    header_images()
    for size in (16, 24, 32, 48, 64, 128, 256):
        icon(size)
