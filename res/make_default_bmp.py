#!/usr/bin/env python3
"""Writes res/default.bmp, the launcher's built-in splash picture.

A 300 x 144, 8 bits per pixel, 256-colour bitmap: a blue gradient with a
silver disc on the left and a soft accent wave. The file is a 14-byte file
header followed by the packed bitmap the launcher embeds: a 40-byte
information header (biSizeImage 43200, biClrUsed and biClrImportant 256,
resolution 0), 256 colour entries and 43,200 bytes of pixel rows, 44,264
bytes in all. Run it from anywhere; it needs only the standard library.
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 300, 144

# Colour-table layout: which index range holds what.
BG_FIRST, BG_COUNT = 0, 128        # background gradient, dark to light
SILVER_FIRST, SILVER_COUNT = 128, 64  # the disc's metal, dark to bright
ACCENT_FIRST, ACCENT_COUNT = 192, 32  # the wave, teal to amber
EDGE, HOLE_RIM, WHITE = 224, 225, 255


def lerp(a, b, t):
    return int(round(a + (b - a) * t))


def mix(c1, c2, t):
    return tuple(lerp(x, y, t) for x, y in zip(c1, c2))


def palette():
    colours = [(0, 0, 0)] * 256
    for i in range(BG_COUNT):
        colours[BG_FIRST + i] = mix((14, 28, 64), (58, 112, 176), i / (BG_COUNT - 1))
    for i in range(SILVER_COUNT):
        colours[SILVER_FIRST + i] = mix((112, 120, 136), (246, 248, 252), i / (SILVER_COUNT - 1))
    for i in range(ACCENT_COUNT):
        colours[ACCENT_FIRST + i] = mix((40, 190, 190), (250, 186, 72), i / (ACCENT_COUNT - 1))
    colours[EDGE] = (70, 76, 92)
    colours[HOLE_RIM] = (160, 166, 180)
    for i in range(226, 255):  # a grey ramp for whatever a later picture needs
        v = lerp(0, 255, (i - 226) / 29)
        colours[i] = (v, v, v)
    colours[WHITE] = (255, 255, 255)
    return colours


def background(x, y):
    t = 0.75 * y / (HEIGHT - 1) + 0.25 * x / (WIDTH - 1)
    return BG_FIRST + min(BG_COUNT - 1, int(t * BG_COUNT))


def pixel(x, y):
    # The disc: a silver ring with a sheen that turns with the angle.
    cx, cy = 74.0, 72.0
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    r = math.hypot(dx, dy)
    if 11.0 <= r < 54.0:
        if r >= 53.0:
            return EDGE
        if r < 13.0:
            return HOLE_RIM
        a = math.atan2(dy, dx)
        sheen = 0.5 + 0.5 * math.cos(2.0 * (a - 0.7))
        depth = 0.15 * (r - 13.0) / 40.0
        t = min(1.0, 0.2 + 0.65 * sheen + depth)
        return SILVER_FIRST + min(SILVER_COUNT - 1, int(t * SILVER_COUNT))
    # The wave: a band whose colour runs from teal on the left to amber.
    centre = 112.0 + 9.0 * math.sin(x / 38.0)
    if x >= 140 and abs(y + 0.5 - centre) < 3.0:
        t = (x - 140) / (WIDTH - 141)
        return ACCENT_FIRST + min(ACCENT_COUNT - 1, int(t * ACCENT_COUNT))
    # A thin bright rule above the wave.
    if 148 <= x < 284 and y == 58:
        return WHITE
    return background(x, y)


def build():
    colours = palette()
    row_size = (WIDTH * 8 + 31) // 32 * 4
    image_size = row_size * HEIGHT
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, image_size, 0, 0, 256, 256)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in colours)
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom row first
        row = bytes(pixel(x, y) for x in range(WIDTH))
        rows.append(row + b'\0' * (row_size - WIDTH))
    packed = info + table + b''.join(rows)
    assert len(packed) == 44264, len(packed)
    offset = 14 + len(info) + len(table)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(packed), 0, 0, offset)
    return file_header + packed


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'default.bmp')
    with open(out, 'wb') as f:
        f.write(build())
    print(out)


if __name__ == '__main__':
    main()
