#!/usr/bin/env python3
"""Writes app/res/check_list_strip.bmp: the check list's strip button.

Six 8-pixel columns (collapsed pressed, hot, normal; expanded normal, hot,
pressed), each a 16-pixel top cap, an 18-pixel middle tile and a 16-pixel
bottom cap. The caps carry an arrow the way the click will go: a collapsed
strip opens to the right, an expanded list folds to the left.
"""
import os
import struct

WIDTH, HEIGHT = 48, 50
COLUMNS = [  # (base grey, arrow points right)
    (150, True), (225, True), (195, True), (195, False), (225, False), (150, False)]


def pixel_rows():
    rows = [[(0, 0, 0)] * WIDTH for _ in range(HEIGHT)]
    for c, (grey, right) in enumerate(COLUMNS):
        x0 = c * 8
        for y in range(HEIGHT):
            for x in range(8):
                shade = grey + (12 if x < 2 else -14 if x > 5 else 0)
                if x == 0 or x == 7:
                    shade = 110
                rows[y][x0 + x] = (shade, shade, min(255, shade + 10))
        # Grip dots down the middle tile (y 16..33), spaced to tile seamlessly.
        for y in range(16, 34, 3):
            rows[y][x0 + 3] = (90, 90, 100)
            rows[y][x0 + 4] = (250, 250, 250)
        # Arrows in both caps.
        for top in (4, 38):
            for i in range(4):
                x = x0 + (2 + i if right else 5 - i)
                rows[top + i][x] = (20, 40, 120)
                rows[top + 6 - i][x] = (20, 40, 120)
    return rows


def write_bmp(path):
    rows = pixel_rows()
    stride = (WIDTH * 3 + 3) & ~3
    data = b''
    for row in reversed(rows):  # bottom-up
        line = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in row)
        data += line + b'\0' * (stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, '..', 'app', 'res', 'check_list_strip.bmp'))
