#!/usr/bin/env python3
"""Copies a PE file with its layout broken the way the header check must
notice: the section that holds the import table made read-only, and the
entry point moved to the start of the first section that is not code.

    break_layout.py IN OUT"""
import struct
import sys

data = bytearray(open(sys.argv[1], 'rb').read())
pe = struct.unpack_from('<I', data, 0x3C)[0]
count = struct.unpack_from('<H', data, pe + 6)[0]
optional = pe + 24
table = optional + struct.unpack_from('<H', data, pe + 20)[0]
imports = struct.unpack_from('<I', data, optional + 96 + 8)[0]
moved = False
for i in range(count):
    at = table + 40 * i
    size, rva = struct.unpack_from('<II', data, at + 8)
    flags = struct.unpack_from('<I', data, at + 36)[0]
    if rva <= imports < rva + size:
        struct.pack_into('<I', data, at + 36, flags & ~0x80000000)
    if not moved and not flags & 0x20000000:
        struct.pack_into('<I', data, optional + 16, rva)
        moved = True
open(sys.argv[2], 'wb').write(data)
