#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon (.ico); each PNG is stored whole, as Windows
Vista and later read them. Usage: make_ico.py OUT.ico IN.png..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("make_ico: not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(out, pictures):
    blobs = [open(p, "rb").read() for p in pictures]
    header = struct.pack("<HHH", 0, 1, len(blobs))
    entries = b""
    offset = 6 + 16 * len(blobs)
    for blob in blobs:
        width, height = png_size(blob)
        if width > 256 or height > 256:
            raise SystemExit("make_ico: a picture is over 256 pixels")
        # 256 is written as 0; 32 bits per pixel, one plane.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(blobs))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
