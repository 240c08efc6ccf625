#!/usr/bin/env python3
"""Writes ui/text/NameCharTables.cpp: the characters a name on the card may hold.

The dictionary's player shows names in the JIS character set only, so CleanName keeps a name's
code units when they are in that set and replaces every other one. The set is built here from the
JIS X 0208 mapping of glibc's EUC-JP and Shift_JIS converters (iconv(3), which every Debian
machine has), cross-checked against Python's own Japanese codecs, instead of being typed by
hand:

  * printable ASCII, U+0020..U+007E;
  * U+00A5 and U+203E, the yen sign and overline of the JIS Roman half;
  * halfwidth katakana, U+FF61..U+FF9F;
  * every JIS X 0208 character (EUC-JP two-byte codes 0xA1A1..0xFEFE);
  * U+2225, U+FF0D, U+FF5E, U+FFE0, U+FFE2: what Windows' code page 932 makes of five of those
    JIS characters, so names typed on Windows survive too.

Beside it: a start index per block of 4096 code points, and the JIS characters whose Shift_JIS
code starts with the byte 0xE5, which the player cannot show as the first character of a name.

Usage: gen-name-tables.py [--output FILE | --stdout]
The default output is the file in the repository. A test regenerates the table with --stdout and
compares it with the committed file.
"""

import argparse
import ctypes
import ctypes.util
import os
import sys

ROWS = range(1, 95)
CELLS = range(1, 95)
JIS_CHARACTER_COUNT = 6879
ALLOWED_COUNT = 7044
FIRST_EXCLUDED_COUNT = 188
CP932_VARIANTS = (0x2225, 0xFF0D, 0xFF5E, 0xFFE0, 0xFFE2)
EXCLUDED_LEAD_BYTE = 0xE5
BLOCK_SHIFT = 12
BLOCK_COUNT = 16


class GlibcDecoder:
    """One glibc iconv converter from `encoding` to UTF-32LE, called through ctypes so that every
    code is converted on its own and a code it does not map is reported, not skipped."""

    def __init__(self, encoding):
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self._iconv_open = libc.iconv_open
        self._iconv_open.restype = ctypes.c_void_p
        self._iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self._iconv = libc.iconv
        self._iconv.restype = ctypes.c_size_t
        self._iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                                ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                                ctypes.POINTER(ctypes.c_size_t)]
        self._iconv_close = libc.iconv_close
        self._iconv_close.argtypes = [ctypes.c_void_p]
        self._encoding = encoding
        self._cd = self._iconv_open(b"UTF-32LE", encoding.encode())
        if self._cd in (None, ctypes.c_void_p(-1).value):
            sys.exit(f"glibc iconv cannot convert from {encoding}")

    def close(self):
        self._iconv_close(self._cd)

    def decode(self, code):
        """The one character `code` stands for, or None when the converter does not map it."""
        self._iconv(self._cd, None, None, None, None)  # back to the initial shift state
        source = ctypes.create_string_buffer(code, len(code))
        target = ctypes.create_string_buffer(16)
        in_ptr = ctypes.c_char_p(ctypes.addressof(source))
        out_ptr = ctypes.c_char_p(ctypes.addressof(target))
        in_left = ctypes.c_size_t(len(code))
        out_left = ctypes.c_size_t(len(target))
        result = self._iconv(self._cd, ctypes.byref(in_ptr), ctypes.byref(in_left),
                             ctypes.byref(out_ptr), ctypes.byref(out_left))
        if result == ctypes.c_size_t(-1).value or in_left.value != 0:
            return None
        produced = target.raw[:len(target) - out_left.value]
        if len(produced) != 4:
            sys.exit(f"glibc {self._encoding}: {code.hex()} gave {len(produced)} bytes")
        return int.from_bytes(produced, "little")


def glibc_decode(codes, encoding):
    decoder = GlibcDecoder(encoding)
    try:
        return [decoder.decode(code) for code in codes]
    finally:
        decoder.close()


def python_decode(code, encoding):
    try:
        text = code.decode(encoding)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def shift_jis_code(row, cell):
    lead = (row + 0x21) // 2 + (0x70 if row <= 62 else 0xB0)
    if row % 2:
        trail = cell + (0x3F if cell <= 63 else 0x40)
    else:
        trail = cell + 0x9E
    return bytes((lead, trail))


def jis_x0208():
    """Maps (row, cell) to its Unicode character for every assigned JIS X 0208 position."""
    positions = [(row, cell) for row in ROWS for cell in CELLS]
    euc = [bytes((0xA0 + row, 0xA0 + cell)) for row, cell in positions]
    sjis = [shift_jis_code(row, cell) for row, cell in positions]
    from_euc = glibc_decode(euc, "EUC-JP")
    from_sjis = glibc_decode(sjis, "SHIFT_JIS")

    table = {}
    for i, position in enumerate(positions):
        # Both converters and both of Python's codecs must agree, or the table is not trustworthy.
        answers = {from_euc[i], from_sjis[i], python_decode(euc[i], "euc_jp"),
                   python_decode(sjis[i], "shift_jis")}
        if len(answers) != 1:
            sys.exit(f"decoders disagree on row {position[0]} cell {position[1]}: {answers}")
        if from_euc[i] is not None:
            table[position] = from_euc[i]

    if len(table) != JIS_CHARACTER_COUNT or len(set(table.values())) != JIS_CHARACTER_COUNT:
        sys.exit(f"expected {JIS_CHARACTER_COUNT} distinct JIS X 0208 characters, got {len(table)}")
    return table


def build():
    jis = jis_x0208()
    allowed = set(range(0x20, 0x7F))
    allowed |= {0x00A5, 0x203E}
    allowed |= set(range(0xFF61, 0xFFA0))
    allowed |= set(jis.values())
    allowed |= set(CP932_VARIANTS)
    allowed = sorted(allowed)

    block_start = [-1] * BLOCK_COUNT
    for position, unit in enumerate(allowed):
        block = unit >> BLOCK_SHIFT
        if block_start[block] < 0:
            block_start[block] = position

    excluded = sorted(unit for (row, cell), unit in jis.items()
                      if shift_jis_code(row, cell)[0] == EXCLUDED_LEAD_BYTE)
    # The sizes are fixed in NameCharTables.h; say so here rather than in a compiler error.
    if len(allowed) != ALLOWED_COUNT or len(excluded) != FIRST_EXCLUDED_COUNT:
        sys.exit(f"{len(allowed)} allowed and {len(excluded)} excluded characters; expected "
                 f"{ALLOWED_COUNT} and {FIRST_EXCLUDED_COUNT}")
    return allowed, block_start, excluded


def hex_lines(values, per_line=12):
    lines = []
    for start in range(0, len(values), per_line):
        chunk = values[start:start + per_line]
        lines.append("    " + " ".join(f"0x{value:04X}," for value in chunk))
    return "\n".join(lines)


def render(allowed, block_start, excluded):
    block_text = ", ".join(str(value) for value in block_start)
    return f"""// Generated by scripts/gen-name-tables.py from the JIS X 0208 mapping; do not edit.
// clang-format off

#include "ui/text/NameCharTables.h"

namespace NameChars {{

const char16_t kAllowed[kAllowedCount] = {{
{hex_lines(allowed)}
}};

const int32_t kBlockStart[kBlockCount] = {{{block_text}}};

const char16_t kFirstExcluded[kFirstExcludedCount] = {{
{hex_lines(excluded)}
}};

}} // namespace NameChars

// clang-format on
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--output", default=os.path.join(repo, "ui", "text", "NameCharTables.cpp"))
    parser.add_argument("--stdout", action="store_true", help="print the source instead of writing it")
    args = parser.parse_args()

    text = render(*build())
    if args.stdout:
        sys.stdout.write(text)
        return
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
