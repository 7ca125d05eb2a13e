#!/usr/bin/env python3
"""Draws the soak's curve as a PNG with nothing but the standard library.

  plot.py SAMPLES.txt OUT.png

SAMPLES.txt holds one line per sample: seconds, handles, GDI objects, USER objects, private
bytes and, optionally, the host's resident anonymous memory in KB (the soak's output). Each
series gets a panel of its own over the same time axis (minutes), with its first and last
value and its range written beside it.
"""
import struct
import sys
import zlib

# A 5 x 7 font for the few characters the labels use; rows top to bottom, bit 4 leftmost.
FONT = {
    ' ': [0, 0, 0, 0, 0, 0, 0],
    '0': [14, 17, 19, 21, 25, 17, 14], '1': [4, 12, 4, 4, 4, 4, 14], '2': [14, 17, 1, 2, 4, 8, 31],
    '3': [31, 2, 4, 2, 1, 17, 14], '4': [2, 6, 10, 18, 31, 2, 2], '5': [31, 16, 30, 1, 1, 17, 14],
    '6': [6, 8, 16, 30, 17, 17, 14], '7': [31, 1, 2, 4, 8, 8, 8], '8': [14, 17, 17, 14, 17, 17, 14],
    '9': [14, 17, 17, 15, 1, 2, 12], '.': [0, 0, 0, 0, 0, 12, 12], ',': [0, 0, 0, 0, 12, 4, 8],
    ':': [0, 12, 12, 0, 12, 12, 0], '-': [0, 0, 0, 31, 0, 0, 0], '(': [2, 4, 8, 8, 8, 4, 2],
    ')': [8, 4, 2, 2, 2, 4, 8], '/': [1, 1, 2, 4, 8, 16, 16], '=': [0, 0, 31, 0, 31, 0, 0],
    'A': [14, 17, 17, 31, 17, 17, 17], 'B': [30, 17, 17, 30, 17, 17, 30], 'C': [14, 17, 16, 16, 16, 17, 14],
    'D': [28, 18, 17, 17, 17, 18, 28], 'E': [31, 16, 16, 30, 16, 16, 31], 'F': [31, 16, 16, 30, 16, 16, 16],
    'G': [14, 17, 16, 23, 17, 17, 15], 'H': [17, 17, 17, 31, 17, 17, 17], 'I': [14, 4, 4, 4, 4, 4, 14],
    'J': [7, 2, 2, 2, 2, 18, 12], 'K': [17, 18, 20, 24, 20, 18, 17], 'L': [16, 16, 16, 16, 16, 16, 31],
    'M': [17, 27, 21, 21, 17, 17, 17], 'N': [17, 17, 25, 21, 19, 17, 17], 'O': [14, 17, 17, 17, 17, 17, 14],
    'P': [30, 17, 17, 30, 16, 16, 16], 'Q': [14, 17, 17, 17, 21, 18, 13], 'R': [30, 17, 17, 30, 20, 18, 17],
    'S': [15, 16, 16, 14, 1, 1, 30], 'T': [31, 4, 4, 4, 4, 4, 4], 'U': [17, 17, 17, 17, 17, 17, 14],
    'V': [17, 17, 17, 17, 17, 10, 4], 'W': [17, 17, 17, 21, 21, 21, 10], 'X': [17, 17, 10, 4, 10, 17, 17],
    'Y': [17, 17, 10, 4, 4, 4, 4], 'Z': [31, 1, 2, 4, 8, 16, 31],
}

WIDTH, PANEL, MARGIN_L, MARGIN_R, TOP = 760, 120, 70, 250, 30
COLOURS = [(30, 90, 180), (200, 80, 20), (40, 140, 60), (150, 40, 150), (120, 120, 120)]


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(b'\xff' * (w * h * 3))

    def dot(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 3
            self.px[i:i + 3] = bytes(c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c)
            self.dot(x0, y0 + 1, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def text(self, x, y, s, c=(0, 0, 0)):
        for ch in s.upper():
            rows = FONT.get(ch, FONT[' '])
            for r, bits in enumerate(rows):
                for b in range(5):
                    if bits & (16 >> b):
                        self.dot(x + b, y + r, c)
            x += 6

    def png(self, path):
        raw = b''.join(b'\x00' + bytes(self.px[y * self.w * 3:(y + 1) * self.w * 3]) for y in range(self.h))

        def chunk(kind, data):
            return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n')
            f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b'IDAT', zlib.compress(raw, 9)))
            f.write(chunk(b'IEND', b''))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rows = []
    for line in open(sys.argv[1]):
        parts = line.split()
        if len(parts) >= 5 and all(p.lstrip('-').isdigit() for p in parts):
            rows.append([int(p) for p in parts])
    if len(rows) < 2:
        sys.exit('plot.py: fewer than two samples')
    names = ['HANDLES', 'GDI OBJECTS', 'USER OBJECTS', 'PRIVATE BYTES (KB)', 'HOST RSS ANON (KB)']
    series = []
    for k, name in enumerate(names):
        if any(len(r) <= k + 1 for r in rows):
            continue
        values = [r[k + 1] // 1024 if k == 3 else r[k + 1] for r in rows]
        series.append((name, values, COLOURS[k]))
    times = [r[0] for r in rows]
    span = max(times[-1] - times[0], 1)
    height = TOP + len(series) * (PANEL + 20) + 30
    cv = Canvas(WIDTH, height)
    cv.text(MARGIN_L, 10, 'SOAK: %d SAMPLES OVER %.1f MINUTES' % (len(rows), span / 60.0))
    plot_w = WIDTH - MARGIN_L - MARGIN_R
    for n, (name, values, colour) in enumerate(series):
        top = TOP + n * (PANEL + 20)
        lo, hi = min(values), max(values)
        if hi == lo:
            lo, hi = lo - 1, hi + 1
        for x in range(MARGIN_L, MARGIN_L + plot_w + 1):
            cv.dot(x, top + PANEL, (0, 0, 0))
        for y in range(top, top + PANEL + 1):
            cv.dot(MARGIN_L, y, (0, 0, 0))
        cv.text(4, top, str(hi))
        cv.text(4, top + PANEL - 7, str(lo))

        def xy(i):
            x = MARGIN_L + round((times[i] - times[0]) * plot_w / span)
            y = top + PANEL - 2 - round((values[i] - lo) * (PANEL - 6) / (hi - lo))
            return x, y
        for i in range(1, len(values)):
            (x0, y0), (x1, y1) = xy(i - 1), xy(i)
            cv.line(x0, y0, x1, y1, colour)
        lx = MARGIN_L + plot_w + 12
        cv.text(lx, top + 4, name, colour)
        cv.text(lx, top + 20, 'FIRST %d' % values[0])
        cv.text(lx, top + 32, 'LAST  %d' % values[-1])
        cv.text(lx, top + 44, 'MIN %d MAX %d' % (min(values), max(values)))
    base = TOP + len(series) * (PANEL + 20) - 12
    minutes = span / 60.0
    step = 1 if minutes <= 10 else 10
    m = 0
    while m <= minutes + 1e-9:
        x = MARGIN_L + round(m * 60 * plot_w / span)
        cv.text(x - 3, base, str(int(m)))
        m += step
    cv.text(MARGIN_L + plot_w // 2 - 20, base + 12, 'MINUTES')
    cv.png(sys.argv[2])


if __name__ == '__main__':
    main()
