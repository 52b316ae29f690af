#!/usr/bin/env python3
"""Draws the program's bitmaps, cursors and icon into resources/images/.

The images are small and simple, so they are drawn here pixel by pixel rather than kept
as hand-edited binaries; run this script after changing a picture and commit its output
(the build only compiles the files, it does not run the script).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
SILVER = (192, 192, 192)
GRAY = (128, 128, 128)
TEAL = (0, 128, 128)
NAVY = (0, 0, 128)

# 3x5 digits for the bookmark glyphs.
DIGITS = [
    ["111", "101", "101", "101", "111"], ["010", "110", "010", "010", "111"],
    ["111", "001", "111", "100", "111"], ["111", "001", "111", "001", "111"],
    ["101", "101", "111", "001", "001"], ["111", "100", "111", "001", "111"],
    ["111", "100", "111", "101", "111"], ["111", "001", "010", "010", "010"],
    ["111", "101", "111", "101", "111"], ["111", "101", "111", "001", "111"],
]


class Image:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, c)


def write_bmp(path, img):
    row = (img.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        line = bytearray()
        for x in range(img.w):
            r, g, b = img.px[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def markers():
    glyph = 11
    img = Image(glyph * 10, glyph, WHITE)
    for d in range(10):
        x0 = d * glyph
        # A rounded tab with the digit in it.
        img.rect(x0 + 1, 0, x0 + glyph - 1, glyph, TEAL)
        img.rect(x0, 1, x0 + glyph, glyph - 1, TEAL)
        for y, bits in enumerate(DIGITS[d]):
            for x, bit in enumerate(bits):
                if bit == "1":
                    img.set(x0 + 4 + x, 3 + y, WHITE)
    write_bmp(os.path.join(OUT, "markers.bmp"), img)


def check_glyphs():
    size = 13
    img = Image(size * 3, size, SILVER)
    check = [(3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)]
    for i in range(3):
        x0 = i * size
        img.rect(x0, 0, x0 + size, size, GRAY)
        img.rect(x0 + 1, 1, x0 + size, size, WHITE)
        img.rect(x0 + 1, 1, x0 + size - 1, size - 1, BLACK)
        inside = SILVER if i == 2 else WHITE
        img.rect(x0 + 2, 2, x0 + size - 1, size - 1, inside)
        if i > 0:
            mark = GRAY if i == 2 else BLACK
            for x, y in check:
                for dy in range(3):
                    img.set(x0 + x, y + dy - 1, mark)
    write_bmp(os.path.join(OUT, "checkglyphs.bmp"), img)


def combo_arrow():
    img = Image(9, 6, SILVER)
    for row in range(4):
        img.rect(1 + row, 1 + row, 8 - row, 2 + row, BLACK)
    write_bmp(os.path.join(OUT, "comboarrow.bmp"), img)


def write_cursor(path, shape, hotspot):
    """shape: 32 strings of 32 chars: '#' black, 'o' white, anything else transparent."""
    w = h = 32
    xor_rows, and_rows = [], []
    for y in range(h - 1, -1, -1):
        xor_bits = and_bits = 0
        for x in range(w):
            ch = shape[y][x] if x < len(shape[y]) else " "
            bit = 1 << (31 - x)
            if ch == "o":
                xor_bits |= bit
            elif ch != "#":
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", w, h, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def grid(lines):
    rows = [l.ljust(32)[:32] for l in lines]
    return rows + [" " * 32] * (32 - len(rows))


def overlay(base, extra):
    """Lays extra over base, line by line; blanks of extra leave base showing."""
    lines = []
    for i in range(max(len(base), len(extra))):
        a = base[i] if i < len(base) else ""
        b = extra[i] if i < len(extra) else ""
        width = max(len(a), len(b))
        a, b = a.ljust(width), b.ljust(width)
        lines.append("".join(y if y != " " else x for x, y in zip(a, b)))
    return lines


def cursors():
    # The left margin of the editor: an arrow pointing up and to the right.
    arrow = [
        "#", "##", "#o#", "#oo#", "#ooo#", "#oooo#", "#ooooo#", "#oooooo#", "#ooooooo#",
        "#oooooooo#", "#ooooo#####", "#oo#oo#", "#o# #oo#", "##  #oo#", "#    #oo#",
        "      #oo#", "       ##",
    ]
    mirrored = [line.ljust(11)[::-1].rjust(16) for line in arrow]
    write_cursor(os.path.join(OUT, "margin.cur"), grid(mirrored), (15, 0))

    horizontal = [
        "", "", "", "", "", "", "", "", "", "",
        "      ##       ##",
        "     #o#       #o#",
        "    #oo#########oo#",
        "   #ooooooooooooooo#",
        "    #oo#########oo#",
        "     #o#       #o#",
        "      ##       ##",
    ]
    vertical = [
        "", "", "", "", "", "",
        "          #",
        "         #o#",
        "        #ooo#",
        "       #ooooo#",
        "       ###o###",
        "         #o#",
        "         #o#",
        "         #o#",
        "         #o#",
        "         #o#",
        "       ###o###",
        "       #ooooo#",
        "        #ooo#",
        "         #o#",
        "          #",
    ]
    # Moving a column or a row: a heading cell beside the direction of the move.
    column = overlay(horizontal, ["", "", "", "", "", "", "", "     ##########",
                                  "     #oooooooo#", "     ##########"])
    write_cursor(os.path.join(OUT, "movecol.cur"), grid(column), (11, 13))
    row = overlay(vertical, [""] * 11 + ["               ###"] + ["               #o#"] * 6 +
                  ["               ###"])
    write_cursor(os.path.join(OUT, "moverow.cur"), grid(row), (10, 15))

    hsplit = [
        "", "", "", "", "", "", "", "",
        "         #o#o#",
        "         #o#o#",
        "      ## #o#o# ##",
        "     #o# #o#o# #o#",
        "    #oo###o#o###oo#",
        "   #ooooooo#ooooooo#",
        "    #oo###o#o###oo#",
        "     #o# #o#o# #o#",
        "      ## #o#o# ##",
        "         #o#o#",
        "         #o#o#",
    ]
    write_cursor(os.path.join(OUT, "hsplit.cur"), grid(hsplit), (11, 13))
    vsplit = [
        "", "", "", "", "", "",
        "          #",
        "         #o#",
        "        #ooo#",
        "       #ooooo#",
        "       ###o###",
        "         #o#",
        "   ###############",
        "   #ooooooooooooo#",
        "   ###############",
        "   #ooooooooooooo#",
        "   ###############",
        "         #o#",
        "       ###o###",
        "       #ooooo#",
        "        #ooo#",
        "         #o#",
        "          #",
    ]
    write_cursor(os.path.join(OUT, "vsplit.cur"), grid(vsplit), (10, 19))


def icon_image(size):
    """A 32-bit icon image: four tiles in a square, the program's mark."""
    tiles = [(0, 90, 170), (0, 150, 140), (230, 140, 20), (200, 50, 50)]
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    gap = max(1, size // 16)
    half = size // 2
    for t, (r, g, b) in enumerate(tiles):
        x0 = (t % 2) * half + gap
        y0 = (t // 2) * half + gap
        for y in range(y0, y0 + half - 2 * gap):
            for x in range(x0, x0 + half - 2 * gap):
                pixels[y][x] = (r, g, b, 255)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[y][x]
            xor += bytes((b, g, r, a))
    and_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(and_row)
        for x in range(size):
            if pixels[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def icon():
    images = [icon_image(32), icon_image(16)]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in zip((32, 16), images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(os.path.join(OUT, "tessellar.ico"), "wb") as f:
        f.write(header + entries + b"".join(images))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    markers()
    check_glyphs()
    combo_arrow()
    cursors()
    icon()
