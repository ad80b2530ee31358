#!/usr/bin/env python3
"""Draws the scope's meter and bar bitmaps into res/*.bmp. Run from this
folder."""
import math
import struct


def bmp(name, width, height, pixel):
    row_bytes = (width * 3 + 3) & ~3
    data = b""
    for y in reversed(range(height)):
        row = b""
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        data += row + b"\0" * (row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open("res/%s.bmp" % name, "wb") as f:
        f.write(header + info + data)


def level_colour(fraction, lit):
    if fraction < 0.6:
        colour = (40, 220, 40)
    elif fraction < 0.85:
        colour = (230, 220, 30)
    else:
        colour = (240, 40, 30)
    return colour if lit else tuple(c // 5 for c in colour)


def strip(lit):
    def pixel(x, y):
        if x % 5 == 4 or y in (0, 14):
            return (10, 10, 10)
        return level_colour(x / 200, lit)
    return pixel


def bar(lit):
    def pixel(x, y):
        if y % 3 == 2 or x == 7:
            return (10, 10, 10)
        return level_colour((49 - y) / 50, lit)
    return pixel


def face(x, y):
    cx, cy = 50, 55
    dx, dy = x - cx, cy - y
    r = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dx, dy)) if r else 0
    if 44 <= r <= 46 and -45 <= angle <= 45:
        return (240, 40, 30) if angle > 25 else (20, 20, 20)
    if 38 <= r <= 44 and -45 <= angle <= 45 and abs(angle - round(angle / 15) * 15) < 1.2:
        return (20, 20, 20)
    if r <= 3:
        return (20, 20, 20)
    if y >= 64:
        return (150, 140, 110)
    return (235, 225, 190)


bmp("meter_dark", 200, 15, strip(False))
bmp("meter_lit", 200, 15, strip(True))
bmp("meter_face", 100, 78, face)
bmp("bar_dark", 8, 50, bar(False))
bmp("bar_lit", 8, 50, bar(True))
