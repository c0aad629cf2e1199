#!/usr/bin/env python3
"""Writes the progress window's bar faces as 24-bit BMP files.

Each face is 300 x 27 pixels and every row is one colour; the lists below
run from the top row to the bottom one. Bitmap 140 is the blue bar of done
against total, bitmap 141 the green bar of the second position.

usage: make_bars.py <output folder>   (writes bar140.bmp and bar141.bmp)
"""
import os
import struct
import sys

WIDTH, HEIGHT = 300, 27

FACES = {
    140: "92B7D6 8EB4D5 85AFD2 81ACD1 7DAACF 79A7CE 75A5CD 71A2CC 6EA0CB 6A9ECA"
         " 679CC9 649BC8 6199C7 3A86C5 3A89C8 3B8DCC 3D92D0 3E97D5 409CDA 42A2DE"
         " 44A7E3 46ACE7 48B0EB 49B4EE 4BB7F0 4BB8F0 4BB8EF",
    141: "94D691 90D58E 88D285 84D181 81CF7D 7CCE78 79CC75 74CC71 71CA6E 6EC96A"
         " 6BC967 69C764 65C661 40C539 41C73A 44CC3A 48D03D 4BD53D 4FD940 53DE41"
         " 57E244 5BE646 5EEB47 61ED49 64F04A 65F04A 65EF4B",
}


def bmp(rows):
    """A bottom-up 24-bit BMP whose rows (top first) are the given colours."""
    assert len(rows) == HEIGHT
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for colour in reversed(rows):
        r, g, b = (int(colour[i:i + 2], 16) for i in (0, 2, 4))
        line = bytes((b, g, r)) * WIDTH
        pixels += line + bytes(stride - len(line))
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels),
                              2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    for number, colours in FACES.items():
        with open(os.path.join(sys.argv[1], "bar%d.bmp" % number), "wb") as out:
            out.write(bmp(colours.split()))


if __name__ == "__main__":
    main()
