#!/usr/bin/env python3
"""Draws the spell check's icons (a green tick for a known word, a red cross
for an unknown one) and the print preview's cursors (an open hand over the
page, a closed one while dragging).

Run from this folder; writes icons/spell_*.ico and icons/preview_*.cur."""
import struct

CLEAR = (0, 0, 0, 0)


def image(size, pixels, kind=1, hotspot=(0, 0)):
    """One-image .ico (kind 1) or .cur (kind 2), 32-bit with an AND mask."""
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    data = header + xor + mask
    first, second = (1, 32) if kind == 1 else hotspot
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, first, second, len(data), 22)
    return struct.pack('<HHH', 0, kind, 1) + entry + data


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def dot(px, x, y, colour, width=2):
    for dy in range(width):
        for dx in range(width):
            if 0 <= y + dy < len(px) and 0 <= x + dx < len(px):
                px[y + dy][x + dx] = colour


def line(px, x0, y0, x1, y1, colour, width=2):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        dot(px, round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour, width)


def tick():
    px = canvas(16)
    green = (20, 150, 40, 255)
    line(px, 2, 8, 6, 12, green)
    line(px, 6, 12, 13, 3, green)
    return px


def cross():
    px = canvas(16)
    red = (200, 30, 30, 255)
    line(px, 3, 3, 12, 12, red)
    line(px, 12, 3, 3, 12, red)
    return px


def hand(closed):
    px = canvas(32)
    ink, skin = (0, 0, 0, 255), (255, 255, 255, 255)
    top = 10 if closed else 4
    for finger in range(4):
        x = 8 + finger * 4
        for y in range(top, 18):
            for dx in range(3):
                px[y][x + dx] = skin
            px[y][x] = ink
        px[top][x] = px[top][x + 1] = px[top][x + 2] = ink
    for y in range(16, 26):
        for x in range(7, 24):
            px[y][x] = skin
        px[y][7] = px[y][23] = ink
    for x in range(7, 24):
        px[26][x] = ink
    return px


if __name__ == '__main__':
    with open('icons/spell_correct.ico', 'wb') as f:
        f.write(image(16, tick()))
    with open('icons/spell_wrong.ico', 'wb') as f:
        f.write(image(16, cross()))
    with open('icons/preview_hand.cur', 'wb') as f:
        f.write(image(32, hand(False), 2, (15, 15)))
    with open('icons/preview_grab.cur', 'wb') as f:
        f.write(image(32, hand(True), 2, (15, 15)))
