#!/usr/bin/env python3
"""Marks the names of a zip that Info-ZIP's zip wrote in UTF-8 as UTF-8
(general purpose flag bit 11), in each local and central header: without
the mark Windows' Explorer reads a name beyond ASCII in its OEM code page
and shows other characters. Plain ASCII names keep their headers as they
are, so a zip of ASCII names stays the same to the byte.

Usage: zip-utf8-names.py FILE.zip"""
import struct
import sys

UTF8 = 0x800


def utf8(name):
    """A name not in UTF-8 is not marked as one."""
    try:
        name.decode('utf-8')
        return True
    except UnicodeDecodeError:
        return False


def main(path):
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    end = data.rfind(b'PK\x05\x06')
    if end < 0:
        sys.exit('zip-utf8-names: %s is no zip' % path)
    count, size, start = struct.unpack_from('<HII', data, end + 10)
    at = start
    for _ in range(count):
        if data[at:at + 4] != b'PK\x01\x02':
            sys.exit('zip-utf8-names: %s: no central header at %d' % (path, at))
        flags, = struct.unpack_from('<H', data, at + 8)
        name_len, extra_len, comment_len = struct.unpack_from('<HHH', data, at + 28)
        local, = struct.unpack_from('<I', data, at + 42)
        name = bytes(data[at + 46:at + 46 + name_len])
        if any(b >= 0x80 for b in name) and utf8(name):
            struct.pack_into('<H', data, at + 8, flags | UTF8)
            local_flags, = struct.unpack_from('<H', data, local + 6)
            struct.pack_into('<H', data, local + 6, local_flags | UTF8)
        at += 46 + name_len + extra_len + comment_len
    with open(path, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1])
