#!/usr/bin/env python3
"""Draws the add-in's button and ribbon images and writes them twice: as 24-bit BMP files
(addin/glyphs/*.bmp, the DLL's bitmap resources) and as C++ data (addin/glyph_data.cpp, the
native build's copy). Both are committed; the build never runs this script, and a test
checks that the two copies hold the same pixels.

Usage: gen-glyphs.py [output folder: the repository's addin/ by default]

Every image is drawn on magenta (FF00FF), which Office and the ribbon draw transparent;
its bottom-left pixel stays magenta. The shapes are drawn with hard edges: a blended edge
against magenta would show as a pink fringe once the magenta is made transparent.
"""

import math
import os
import sys

MAGENTA = 0xFF00FF


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[MAGENTA] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, fill, border=None):
        """Fills the pixels x0..x1, y0..y1 (inclusive), with a one-pixel border."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.put(x, y, border if edge and border is not None else fill)

    def disc(self, cx, cy, radius, fill, border=None, border_width=1.0):
        """A disc centred on (cx, cy) in pixel-centre coordinates."""
        for y in range(self.size):
            for x in range(self.size):
                distance = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if distance <= radius:
                    inner = distance <= radius - border_width
                    self.put(x, y, fill if inner or border is None else border)

    def line(self, x0, y0, x1, y1, colour, width=1.0):
        """A line between two points in pixel-centre coordinates, `width` pixels thick."""
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        for y in range(self.size):
            for x in range(self.size):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / length**2))
                if math.hypot(px - (x0 + t * (x1 - x0)), py - (y0 + t * (y1 - y0))) <= width / 2:
                    self.put(x, y, colour)

    def pattern(self, x0, y0, rows, colour, scale=1):
        """Draws the '#' cells of a small text pattern, each `scale` pixels square."""
        for row, text in enumerate(rows):
            for column, cell in enumerate(text):
                if cell == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            self.put(x0 + column * scale + dx, y0 + row * scale + dy, colour)


GRID = 0x7A8A99
CELL = 0xFFFFFF
HEADER = 0xD5DEE8
LENS = 0xBFE3FF
RIM = 0x1F4E8C
HANDLE = 0x5B3A1E
MATCH = 0xE8A33D


def track(size):
    """A worksheet column whose two matching cells are found by a magnifying glass."""
    c = Canvas(size)
    s = size / 16.0
    left, right = round(1 * s), round(8 * s)
    rows = 5
    top, bottom = round(1 * s), round(14 * s)
    c.rect(left, top, right, bottom, CELL, GRID)
    step = (bottom - top) / rows
    for i in range(1, rows):
        y = round(top + i * step)
        for x in range(left, right + 1):
            c.put(x, y, GRID)
    # The two cells that hold the same value.
    for i in (1, 3):
        y0, y1 = round(top + i * step) + 1, round(top + (i + 1) * step) - 1
        c.rect(left + 1, y0, right - 1, y1, MATCH)
    c.line(12.0 * s, 12.0 * s, 15.4 * s, 15.4 * s, HANDLE, 2.2 * s)
    c.disc(10.6 * s, 10.4 * s, 3.7 * s, LENS, RIM, 1.2 * s)
    c.put(0, size - 1, MAGENTA)
    return c


def options():
    """A gear wheel."""
    c = Canvas(16)
    for y in range(16):
        for x in range(16):
            dx, dy = x + 0.5 - 8.0, y + 0.5 - 8.0
            r = math.hypot(dx, dy)
            tooth = (math.degrees(math.atan2(dy, dx)) + 360.0 + 15.0) % 45.0 < 30.0
            if r <= 5.4 or (tooth and r <= 7.6):
                c.put(x, y, 0x5F6F80)
    c.disc(8.0, 8.0, 4.2, 0x9AAABB)
    c.disc(8.0, 8.0, 2.3, MAGENTA)
    return c


def email():
    """A closed envelope."""
    c = Canvas(16)
    c.rect(0, 3, 15, 12, 0xFFF6D5, 0x8A6D1F)
    c.line(1.0, 4.0, 8.0, 9.2, 0x8A6D1F, 1.1)
    c.line(15.0, 4.0, 8.0, 9.2, 0x8A6D1F, 1.1)
    return c


QUESTION = [".###.", "#...#", "....#", "...#.", "..#..", "..#..", ".....", "..#.."]


def help_():
    """A question mark on a blue disc."""
    c = Canvas(16)
    c.disc(8.0, 8.0, 7.4, 0x2F74D0, 0x17468A, 1.2)
    c.pattern(6, 4, QUESTION, 0xFFFFFF)
    c.put(0, 15, MAGENTA)
    return c


GLYPHS = [
    ("Track16", "track16.bmp", lambda: track(16)),
    ("Track24", "track24.bmp", lambda: track(24)),
    ("Options16", "options16.bmp", options),
    ("Email16", "email16.bmp", email),
    ("Help16", "help16.bmp", help_),
]


def bmp(canvas):
    size = canvas.size
    stride = (size * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(canvas.pixels):  # bottom-up, as a BMP stores rows
        line = bytearray()
        for colour in row:
            line += bytes((colour & 0xFF, (colour >> 8) & 0xFF, colour >> 16))
        image += line + bytes(stride - len(line))
    header = bytearray(b"BM")
    header += (14 + 40 + len(image)).to_bytes(4, "little") + bytes(4)
    header += (14 + 40).to_bytes(4, "little")
    info = (40).to_bytes(4, "little") + size.to_bytes(4, "little") + size.to_bytes(4, "little")
    info += (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(4)
    info += len(image).to_bytes(4, "little") + (2835).to_bytes(4, "little") * 2 + bytes(8)
    return bytes(header + info + image)


def cpp(glyphs):
    out = [
        "// Generated by scripts/gen-glyphs.py: do not edit. The same pixels are in",
        "// addin/glyphs/*.bmp, the DLL's bitmap resources.",
        "// clang-format off",
        "",
        '#include "addin/glyph_data.h"',
        "",
        "namespace tarvex::addin::glyph_data {",
        "",
    ]
    for name, _, canvas in glyphs:
        out.append(f"// {canvas.size} x {canvas.size}, 0xRRGGBB, top row first.")
        out.append(f"const std::uint32_t {name}[{canvas.size * canvas.size}] = {{")
        for row in canvas.pixels:
            cells = ", ".join(f"0x{colour:06X}" for colour in row)
            out.append(f"    {cells},")
        out.append("};")
        out.append("")
    out.append("} // namespace tarvex::addin::glyph_data")
    return "\n".join(out) + "\n"


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "addin")
    os.makedirs(os.path.join(root, "glyphs"), exist_ok=True)
    drawn = [(name, file, draw()) for name, file, draw in GLYPHS]
    for _, file, canvas in drawn:
        assert canvas.pixels[canvas.size - 1][0] == MAGENTA, file
        with open(os.path.join(root, "glyphs", file), "wb") as target:
            target.write(bmp(canvas))
    with open(os.path.join(root, "glyph_data.cpp"), "w", encoding="utf-8") as target:
        target.write(cpp(drawn))


if __name__ == "__main__":
    main()
