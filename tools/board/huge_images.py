#!/usr/bin/env python3
"""Writes images whose headers declare far more pixels than the board's memory holds into the
directory given: png-30000x30000 (3.4 GiB decoded at 4 bytes a pixel: the first four rows, all
zero, deflated, 545 bytes), bmp-30000x30000 (24-bit, 4 KiB) and png-10000x10000 (381 MiB: unlike
the others, an allocation that a 32-bit process can be given)."""
import struct
import sys
import zlib

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(side):
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"\0" * (4 * (1 + 4 * side)), 9))
            + chunk(b"IEND", b""))


def bmp(side):
    header = (b"BM" + struct.pack("<IHHI", 4096, 0, 0, 54)
              + struct.pack("<IiiHHIIiiII", 40, side, side, 1, 24, 0, 0, 2835, 2835, 0, 0))
    return header + bytes(4096 - len(header))


def main():
    out = sys.argv[1]
    for name, data in (("png-30000x30000", png(30000)), ("bmp-30000x30000", bmp(30000)),
                       ("png-10000x10000", png(10000))):
        with open(out + "/" + name, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
