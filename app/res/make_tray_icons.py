#!/usr/bin/env python3
"""Draws the program's icons: the note at rest (99) and the note with a
filling bar shown in the tray while the notes are saved (100..110).

Run from this folder; writes icons/*.ico (16x16 and 32x32, 32-bit)."""
import struct

SAVE_IDS = [100, 101, 102, 103, 104, 105, 107, 108, 110]

INK = (40, 40, 40, 255)
PAPER = (255, 236, 64, 255)
STRIP = (225, 170, 20, 255)
FOLD = (200, 160, 30, 255)
LINE = (150, 120, 40, 255)
BAR_BACK = (255, 255, 255, 255)
BAR = (30, 150, 60, 255)
CLEAR = (0, 0, 0, 0)


def draw(size, progress):
    """progress None for the plain note, else 0..8 eighths of the bar filled."""
    k = size / 32.0
    px = [[CLEAR] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * k), int(y1 * k)):
            for x in range(int(x0 * k), int(x1 * k)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    box(3, 3, 29, 29, INK)           # outline
    box(4, 4, 28, 28, PAPER)
    box(4, 4, 28, 10, STRIP)         # title strip
    for i in range(7):               # folded corner, bottom right
        box(28 - 7 + i, 28 - i, 28, 28 - i + 1, CLEAR)
        box(28 - 7 + i, 28 - 7 + i, 28 - 7 + i + 1, 28 - i, FOLD)
    if progress is None:
        for y in (14, 18, 22):
            box(7, y, 24 if y < 22 else 18, y + 2, LINE)
    else:
        box(6, 14, 26, 22, INK)
        box(7, 15, 25, 21, BAR_BACK)
        width = 18 * progress // 8
        box(7, 15, 7 + width, 21, BAR)
    return px


def image_bytes(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    row_bytes = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = bytearray(row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask


def write_icon(path, progress):
    images = [image_bytes(draw(s, progress)) for s in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    write_icon('icons/zettlies.ico', None)
    for step, icon_id in enumerate(SAVE_IDS):
        write_icon('icons/saving%d.ico' % step, step)
