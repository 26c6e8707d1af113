#!/usr/bin/env python3
"""Writes small image files whose headers declare far more pixels than an image may take decoded,
one per format the library reads: the inputs that once took gigabytes (or a SIGSEGV) to refuse.
Run from the repository root; needs ImageMagick's convert for the JPEG ones."""
import os
import struct
import subprocess
import tempfile
import zlib


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(w, h):
    # Four rows of a 30000-pixel RGBA image, compressed: libpng reads the header and would allocate
    # the whole image before finding that the data runs out.
    rows = zlib.compress(b"".join(b"\0" + bytes(w * 4) for _ in range(4)), 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", rows) + chunk(b"IEND", b""))


def bmp(w, h, size):
    header = b"BM" + struct.pack("<IHHI", 54 + w * h * 3, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, 0, 2835, 2835, 0, 0)
    data = header + info
    return data + bytes(size - len(data))


def riff(chunks):
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WEBP" + chunks


def webp_lossless(w, h):
    bits = (w - 1) | (h - 1) << 14 | 1 << 28
    payload = b"\x2f" + struct.pack("<I", bits) + bytes(16)
    return riff(b"VP8L" + struct.pack("<I", len(payload)) + payload)


def gif(w, h):
    # A screen of w x h and one 1 x 1 image: giflib's reader refuses at the image descriptor.
    return (b"GIF89a" + struct.pack("<HHBBB", w, h, 0x80, 0, 0) + bytes(6) +
            b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x44\x01\x00\x3b")


def jpeg(w, h, progressive):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "small.jpg")
        args = ["convert", "-size", "16x16", "xc:gray", "-quality", "50"]
        if progressive:
            args += ["-interlace", "JPEG"]
        subprocess.run(args + [path], check=True)
        data = bytearray(open(path, "rb").read())
    sof = data.find(b"\xff\xc2" if progressive else b"\xff\xc0")
    data[sof + 5:sof + 9] = struct.pack(">HH", h, w)
    return bytes(data)


crashes = "fuzz/crashes/image"
corpus = "fuzz/corpus/image"
files = {
    f"{crashes}/huge-png-30000x30000": png(30000, 30000),
    f"{crashes}/huge-bmp-30000x30000": bmp(30000, 30000, 4096),
    f"{corpus}/huge-jpeg-30000x30000": jpeg(30000, 30000, False),
    # 187 MiB of pixels, but a progressive decoder keeps every coefficient besides.
    f"{corpus}/huge-jpeg-progressive-7000x7000": jpeg(7000, 7000, True),
    f"{corpus}/huge-webp-lossless-16384x16384": webp_lossless(16384, 16384),
    f"{corpus}/huge-gif-20000x20000": gif(20000, 20000),
}
for path, data in files.items():
    with open(path, "wb") as f:
        f.write(data)
    print(f"{path}: {len(data)} bytes")
