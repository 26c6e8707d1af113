#!/usr/bin/env python3
"""Writes huge-png-10000x10000 into the directory given: a PNG whose header declares 10000x10000
pixels (381 MiB decoded at 4 bytes a pixel, more than a 512 MiB board can spare, but an
allocation a 32-bit process can be given), with its first four rows, all zero, deflated: 235
bytes."""
import struct
import sys
import zlib

SIDE = 10000


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main():
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"\0" * (4 * (1 + 4 * SIDE)), 9))
           + chunk(b"IEND", b""))
    with open(sys.argv[1] + "/huge-png-10000x10000", "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
