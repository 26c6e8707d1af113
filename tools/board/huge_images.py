#!/usr/bin/env python3
"""Writes images whose headers declare 30000x30000 pixels (3.4 GiB decoded at 4 bytes a pixel)
into the directory given: png-30000x30000, the first four rows (all zero) deflated, 545 bytes;
bmp-30000x30000, 24-bit, 4 KiB."""
import struct
import sys
import zlib

SIDE = 30000


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main():
    out = sys.argv[1]
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"\0" * (4 * (1 + 4 * SIDE)), 9))
           + chunk(b"IEND", b""))
    bmp = (b"BM" + struct.pack("<IHHI", 4096, 0, 0, 54)
           + struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, 24, 0, 0, 2835, 2835, 0, 0))
    with open(out + "/png-30000x30000", "wb") as f:
        f.write(png)
    with open(out + "/bmp-30000x30000", "wb") as f:
        f.write(bmp + bytes(4096 - len(bmp)))


if __name__ == "__main__":
    main()
