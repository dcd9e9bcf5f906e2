#!/usr/bin/env python3
"""Draws the launcher's program icon, launcher.ico: one 32 x 32 image in 16
colours (a silver disc with a green arrow across it), 744 bytes of icon
image after the file's directory. Run it from anywhere; it writes the file
beside itself. The picture is drawn from geometry, so the output is the same
on every run."""

import os
import struct

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, DARK_CYAN, SILVER, GREY, GREEN, CYAN, WHITE = 0, 2, 6, 7, 8, 10, 14, 15
TRANSPARENT = None


def draw():
    """Returns rows top to bottom of palette indices or TRANSPARENT."""
    cx = cy = 15.5
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            r = (dx * dx + dy * dy) ** 0.5
            if r > 15.5:
                continue
            if r > 14.3:
                colour = GREY                      # rim
            elif r > 6.0:
                # The recording surface: silver with a light band and a
                # cyan sheen across the upper left.
                if -dx - dy > 6 and r > 9 and r < 12.5:
                    colour = WHITE
                elif dx - dy > 10:
                    colour = DARK_CYAN if r > 11 else CYAN
                else:
                    colour = SILVER
            elif r > 4.6:
                colour = GREY                      # clamping ring
            elif r > 2.3:
                colour = WHITE
            else:
                continue                           # the hole
            pixels[y][x] = colour
    # A green arrow pointing right across the lower half of the disc:
    # a shaft and a triangular head, with a black outline.
    arrow = set()
    for y in range(19, 24):
        for x in range(6, 20):
            arrow.add((x, y))
    for x in range(19, 29):
        half = 28 - x
        for y in range(21 - half, 22 + half):
            arrow.add((x, y))
    for (x, y) in arrow:
        pixels[y][x] = GREEN
    for (x, y) in list(arrow):
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= nx < SIZE and 0 <= ny < SIZE and (nx, ny) not in arrow:
                pixels[ny][nx] = BLACK
    for y in range(20, 23):
        for x in range(7, 19):
            if (x + y) % 5 == 0:
                pixels[y][x] = DARK_GREEN
    return pixels


def icon_image(pixels):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, SIZE * SIZE // 2, 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):                  # bottom-up rows
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    return header + colours + bytes(xor) + bytes(mask)


def main():
    image = icon_image(draw())
    assert len(image) == 744
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'launcher.ico')
    with open(path, 'wb') as out:
        out.write(directory + entry + image)


if __name__ == '__main__':
    main()
