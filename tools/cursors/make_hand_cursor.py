#!/usr/bin/env python3
"""Draws the program's hand cursor (a hand pointing up with its index finger) and writes it
as a 32 x 32 monochrome cursor file; the program's resources carry it under the name "HAND".

The hot spot is the tip of the index finger. Outside the drawing the cursor is transparent.
Usage: make_hand_cursor.py [output.cur] [--preview out.ppm]   (default: src/app/res/hand.cur)
"""
import os
import struct
import sys

SIZE = 32
# ' ' transparent, '#' black, 'o' white.
HAND = [
    "     ##          ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo###       ",
    "    #oo#oo###    ",
    "    #oo#oo#oo##  ",
    "    #oo#oo#oo#o# ",
    " ## #oo#oo#oo#oo#",
    "#oo##ooooooooooo#",
    "#ooo#ooooooooooo#",
    " #oooooooooooooo#",
    "  #ooooooooooooo#",
    "  #oooooooooooo# ",
    "   #ooooooooooo# ",
    "   #oooooooooo#  ",
    "    #ooooooooo#  ",
    "    #ooooooooo#  ",
    "     #oooooooo#  ",
    "     #oooooooo#  ",
    "     ##########  ",
]
HOTSPOT = (5, 0)


def pixels():
    """Rows of 32 characters, top row first."""
    rows = [row.ljust(SIZE) for row in HAND]
    assert all(len(row) == SIZE and set(row) <= set(" #o") for row in rows)
    return rows + [" " * SIZE] * (SIZE - len(rows))


def bits(rows, wanted):
    """One bit per pixel, bottom row first, set where the pixel is in `wanted`."""
    out = bytearray()
    for row in reversed(rows):
        value = 0
        for ch in row:
            value = (value << 1) | (1 if ch in wanted else 0)
        out += struct.pack(">I", value)
    return bytes(out)


def cursor_file(rows):
    # Image: the bitmap header (height counts both masks), a two-colour palette, the colour
    # bits (white where set) and the transparency mask (transparent where set).
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bits(rows, "o") + bits(rows, " ")
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return directory + entry + image


def preview(rows, path, scale=8):
    colours = {" ": (0, 160, 160), "#": (0, 0, 0), "o": (255, 255, 255)}
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (SIZE * scale, SIZE * scale))
        for row in rows:
            line = b"".join(bytes(colours[ch]) * scale for ch in row)
            f.write(line * scale)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "..", "src", "app", "res", "hand.cur")
    args = list(argv)
    if "--preview" in args:
        i = args.index("--preview")
        preview(pixels(), args[i + 1])
        del args[i:i + 2]
    if args:
        out = args[0]
    with open(out, "wb") as f:
        f.write(cursor_file(pixels()))


if __name__ == "__main__":
    main(sys.argv[1:])
