#!/usr/bin/env python3
"""Writes into the directory given:
- huge-png-10000x10000: a PNG whose header declares 10000x10000 pixels (381 MiB decoded at 4 bytes
  a pixel, more than a 512 MiB board can spare, but an allocation a 32-bit process can be given),
  with its first four rows, all zero, deflated: 235 bytes;
- jpeg-5000-scans: a flat grey progressive JPEG of 4000x4000 pixels (61 MiB decoded, within the
  bound) whose last scan is repeated until it has 5,000 scans: libjpeg decodes every scan over every
  block, a minute here and far longer on a board. `jpeg-5000-scans SIDE SCANS PATH` writes another
  size."""
import struct
import sys
import zlib

SIDE = 10000


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def stuffed(bits):
    """The bits, padded with ones to whole bytes, each 0xFF byte followed by a 0."""
    bits += "1" * (-len(bits) % 8)
    out = bytearray()
    for i in range(0, len(bits), 8):
        out.append(int(bits[i:i + 8], 2))
        if out[-1] == 0xFF:
            out.append(0)
    return bytes(out)


def segment(marker, data):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(data) + 2) + data


def progressive_jpeg(side, scans):
    """A grey progressive JPEG of side x side flat pixels: its DC scan, then one AC scan, repeated,
    that ends every block at once (runs of at most 32767 blocks, the longest one code gives)."""
    blocks = ((side + 7) // 8) ** 2
    runs = [min(32767, blocks - done) for done in range(0, blocks, 32767)]
    symbols = sorted({(run.bit_length() - 1) << 4 for run in runs})
    length = len(symbols).bit_length()  # no code of all ones
    code = dict((sym, format(i, "0%db" % length)) for i, sym in enumerate(symbols))
    ac = "".join(code[(run.bit_length() - 1) << 4] + format(run, "b")[1:] for run in runs)
    ac_counts = bytearray(16)
    ac_counts[length - 1] = len(symbols)
    # One code of one bit for a DC difference of 0.
    head = (b"\xff\xd8" + segment(0xDB, b"\x00" + bytes([1] * 64)) +
            segment(0xC2, struct.pack(">BHHB", 8, side, side, 1) + b"\x01\x11\x00") +
            segment(0xC4, b"\x00\x01" + bytes(15) + b"\x00") +
            segment(0xC4, b"\x10" + bytes(ac_counts) + bytes(symbols)))
    dc_scan = segment(0xDA, b"\x01\x01\x00\x00\x00\x00") + stuffed("0" * blocks)
    ac_scan = segment(0xDA, b"\x01\x01\x00\x01\x3f\x00") + stuffed(ac)
    return head + dc_scan + ac_scan * (scans - 1) + b"\xff\xd9"


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "jpeg-5000-scans":
        with open(sys.argv[4], "wb") as f:
            f.write(progressive_jpeg(int(sys.argv[2]), int(sys.argv[3])))
        return
    with open(sys.argv[1] + "/jpeg-5000-scans", "wb") as f:
        f.write(progressive_jpeg(4000, 5000))
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"\0" * (4 * (1 + 4 * SIDE)), 9))
           + chunk(b"IEND", b""))
    with open(sys.argv[1] + "/huge-png-10000x10000", "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
