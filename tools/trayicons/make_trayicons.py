#!/usr/bin/env python3
"""Draws the twelve 16 x 16 tray pictures and writes them as one 24-bit BMP strip.

Order (the program relies on it):
  0..7  processor with a level bar beside it, empty at 0, full at 7; the bar's segments
        are red at the bottom, then yellow, then green, like a level meter
  8     red cross (cooling threads not running)
  9     green arrows (running)
  10    red cross over the processor
  11    blank: the slot the program draws text icons into

Pure white is the transparent colour of the picture list, so no drawn pixel uses it.
Usage: make_trayicons.py [output.bmp]   (default: src/app/res/trayicons.bmp)
"""
import os
import struct
import sys

SIZE = 16
COUNT = 12
WHITE = (255, 255, 255)

BODY = (64, 64, 64)
PIN = (140, 140, 140)
DIE = (176, 176, 196)
DIE_MARK = (96, 96, 128)
BAR_EDGE = (32, 32, 32)
BAR_EMPTY = (208, 208, 208)
RED = (220, 0, 0)
DARK_RED = (140, 0, 0)
YELLOW = (240, 200, 0)
GREEN = (0, 176, 0)
DARK_GREEN = (0, 110, 0)


def blank():
    return [[WHITE] * SIZE for _ in range(SIZE)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def processor(img):
    rect(img, 1, 3, 9, 12, BODY)
    for x in (2, 4, 6, 8):
        rect(img, x, 1, x, 2, PIN)
        rect(img, x, 13, x, 14, PIN)
    for y in (4, 6, 9, 11):
        img[y][0] = PIN
        img[y][10] = PIN
    rect(img, 3, 5, 7, 10, DIE)
    img[6][4] = DIE_MARK  # orientation dot of the package


def segment_colour(segment):
    # Seven segments of two rows each, counted from the bottom.
    if segment <= 2:
        return RED
    if segment <= 4:
        return YELLOW
    return GREEN


def level_bar(img, level):
    rect(img, 12, 0, 15, 15, BAR_EDGE)
    rect(img, 13, 1, 14, 14, BAR_EMPTY)
    for segment in range(1, level + 1):
        bottom = 14 - 2 * (segment - 1)
        rect(img, 13, bottom - 1, 14, bottom, segment_colour(segment))


def cross(img):
    for i in range(1, 15):
        for dx in (-1, 0, 1):
            for x, y in ((i + dx, i), (15 - i + dx, i)):
                if 0 <= x < SIZE:
                    img[y][x] = RED if dx == 0 else DARK_RED
    # Keep the centre lines bright where the two strokes overlap.
    for i in range(1, 15):
        img[i][i] = RED
        img[i][15 - i] = RED


def arrows(img):
    # Right-pointing arrow above, left-pointing arrow below: work going round.
    rect(img, 1, 3, 9, 5, GREEN)
    for k in range(5):
        rect(img, 10 + k, 4 - (4 - k), 10 + k, 4 + (4 - k), GREEN if k < 4 else DARK_GREEN)
    rect(img, 6, 10, 14, 12, GREEN)
    for k in range(5):
        rect(img, 5 - k, 11 - (4 - k), 5 - k, 11 + (4 - k), GREEN if k < 4 else DARK_GREEN)


def pictures():
    result = []
    for level in range(8):
        img = blank()
        processor(img)
        level_bar(img, level)
        result.append(img)
    img = blank()
    cross(img)
    result.append(img)
    img = blank()
    arrows(img)
    result.append(img)
    img = blank()
    processor(img)
    cross(img)
    result.append(img)
    result.append(blank())
    assert len(result) == COUNT
    return result


def write_bmp(path, imgs):
    width = SIZE * len(imgs)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for img in imgs:
            for x in range(SIZE):
                r, g, b = img[y][x]
                row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "src", "app", "res", "trayicons.bmp")
    out = sys.argv[1] if len(sys.argv) > 1 else default
    imgs = pictures()
    for img in imgs[:-1]:
        assert any(p != WHITE for row in img for p in row)
    write_bmp(out, imgs)
    print("wrote", os.path.normpath(out))


if __name__ == "__main__":
    main()
