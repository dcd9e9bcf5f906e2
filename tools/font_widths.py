#!/usr/bin/env python3
"""Writes tools/disccheck/font_widths.inc: the character widths disccheck
estimates the launcher's texts with, read from the bitmap fonts Wine ships
for each single-byte ANSI code page (MS Sans Serif 8 point and System, at 96
dots per inch).

    tools/font_widths.py [FONT-DIR] > tools/disccheck/font_widths.inc

FONT-DIR defaults to /usr/share/wine/fonts. A .fon file is a 16-bit (NE)
executable whose RT_FONT resources are FNT fonts; each holds one size and a
width for every byte of its character set's code page.
"""
import os
import struct
import sys
import unicodedata

# Code page: (MS Sans Serif file, System file). 1258 has no fonts of its own.
FONTS = {
    874: ("ssee874.fon", "vgas874.fon"),
    1250: ("sserifee.fon", "vgasyse.fon"),
    1251: ("sserifer.fon", "vgasysr.fon"),
    1252: ("sserife.fon", "vgasys.fon"),
    1253: ("sserifeg.fon", "vgasysg.fon"),
    1254: ("sserifet.fon", "vgasyst.fon"),
    1255: ("ssee1255.fon", "vgas1255.fon"),
    1256: ("ssee1256.fon", "vgas1256.fon"),
    1257: ("ssee1257.fon", "vgas1257.fon"),
}
SANS_POINTS, SYSTEM_POINTS = 8, 10
RT_FONT = 0x8008


def fnt_resources(path):
    data = open(path, "rb").read()
    ne = struct.unpack_from("<I", data, 0x3C)[0]
    if data[ne:ne + 2] != b"NE":
        sys.exit(f"{path}: not a 16-bit font file")
    table = ne + struct.unpack_from("<H", data, ne + 0x24)[0]
    shift = struct.unpack_from("<H", data, table)[0]
    p = table + 2
    while True:
        kind, count = struct.unpack_from("<HH", data, p)
        p += 8
        if kind == 0:
            return
        for _ in range(count):
            offset, length = struct.unpack_from("<HH", data, p)
            p += 12
            if kind == RT_FONT:
                yield data[offset << shift:(offset + length) << shift]


def widths(path, points, codepage):
    """The widths of bytes 0x20 to 0xFF in the font of that size at 96 dpi,
    and how many letters of the code page it draws as one shared shape: a
    box standing for the glyphs the font lacks."""
    for fnt in fnt_resources(path):
        version = struct.unpack_from("<H", fnt, 0)[0]
        size, vres = struct.unpack_from("<HH", fnt, 0x44)
        if size != points or vres != 96:
            continue
        first, last, default = fnt[0x5F], fnt[0x60], fnt[0x61]
        table, entry = (0x76, 4) if version == 0x200 else (0x94, 6)
        height = struct.unpack_from("<H", fnt, 0x58)[0]

        def glyph(c):
            if not first <= c <= last:
                c = first + default
            width, offset = struct.unpack_from("<HH" if version == 0x200 else "<HI", fnt, table + (c - first) * entry)
            return width, fnt[offset:offset + (width + 7) // 8 * height]

        shapes = {}
        for c in range(0x80, 0x100):
            try:
                char = bytes([c]).decode(f"cp{codepage}")
            except UnicodeDecodeError:
                continue
            bits = glyph(c)[1]
            if unicodedata.category(char)[0] in "LM" and any(bits):
                shapes[bits] = shapes.get(bits, 0) + 1
        return [glyph(c)[0] for c in range(0x20, 0x100)], max(shapes.values(), default=0)
    sys.exit(f"{path}: no {points}-point font at 96 dpi")


def base_x(sans):
    """Windows' dialog base unit: the average width of the 52 letters, rounded."""
    total = sum(sans[ord(c) - 0x20] for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
    return (total // 26 + 1) // 2


def estimated(codepage, measured):
    """A code page without fonts: each character's width where another code
    page's font draws it, else its base letter's; a combining mark takes no
    room."""
    tables = []
    for size in (0, 1):
        table = []
        for byte in range(0x20, 0x100):
            try:
                char = bytes([byte]).decode(f"cp{codepage}")
            except UnicodeDecodeError:
                char = "?"
            if unicodedata.combining(char):
                table.append(0)
                continue
            found = None
            for candidate in (char, unicodedata.normalize("NFD", char)[0]):
                for cp in sorted(measured, key=lambda c: c != 1252):
                    try:
                        b = candidate.encode(f"cp{cp}")
                    except UnicodeEncodeError:
                        continue
                    if len(b) == 1 and b[0] >= 0x20:
                        found = measured[cp][size][b[0] - 0x20]
                        break
                if found is not None:
                    break
            table.append(found if found is not None else measured[1252][size][ord("?") - 0x20])
        tables.append(table)
    return tables


def rows(values):
    return "\n".join("     " + " ".join(f"{v},".rjust(3) for v in values[i:i + 16]) for i in range(0, len(values), 16))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/wine/fonts"
    measured, boxes = {}, {}
    for cp, (sans, system) in FONTS.items():
        (s, s_boxes), (y, y_boxes) = (widths(os.path.join(folder, sans), SANS_POINTS, cp),
                                      widths(os.path.join(folder, system), SYSTEM_POINTS, cp))
        measured[cp] = (s, y)
        # A few letters drawn as boxes (System lacks "Œ" and "ƒ") leave the
        # widths close; a whole script drawn as boxes does not.
        boxes[cp] = max(s_boxes, y_boxes) if max(s_boxes, y_boxes) >= 16 else 0
    out = ["// Generated by tools/font_widths.py from Wine's bitmap fonts; do not edit.",
           "// Per code page: why its widths are only an estimate (null when they are",
           "// measured), the dialog base unit, then the widths of bytes 0x20 to 0xFF",
           "// in MS Sans Serif 8 point and in System."]
    entries = []
    for cp in sorted(measured):
        rough = "nullptr"
        if boxes[cp]:
            rough = (f'"Wine\'s fonts for it draw {boxes[cp]} of its letters as a box, whose width stands in '
                     'for theirs"')
        entries.append((cp, rough, measured[cp], f"{FONTS[cp][0]}, {FONTS[cp][1]}"))
    entries.append((1258, '"Wine has no fonts for it: the widths of the same letters in the other code pages\' fonts '
                          'stand in"', estimated(1258, {cp: measured[cp] for cp in measured if not boxes[cp]}),
                    "estimated"))
    out.append("const FontTable kFontTables[] = {")
    for cp, rough, (sans, system), source in entries:
        out.append(f"    {{{cp}, // {source}")
        out.append(f"     {rough},")
        out.append(f"     {base_x(sans)},")
        out.append("     {")
        out.append(rows(sans))
        out.append("     },")
        out.append("     {")
        out.append(rows(system))
        out.append("     }},")
    out.append("};")
    print("\n".join(out))


if __name__ == "__main__":
    main()
