#!/usr/bin/env python3
"""Draws the changer's two tray icons: a small monitor, blue/green when
changing is on, grey when off. Run from this folder; writes res/*.ico."""
import struct


def monitor(screen, frame=(40, 40, 40)):
    size = 16
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            if 1 <= x <= 14 and 1 <= y <= 11:
                edge = x in (1, 14) or y in (1, 11)
                row.append(frame if edge else screen(x, y))
            elif 6 <= x <= 9 and y in (12, 13):
                row.append(frame)
            elif 3 <= x <= 12 and y == 14:
                row.append(frame)
            else:
                row.append(None)
        pixels.append(row)
    return pixels


def ico(pixels):
    size = len(pixels)
    xor = b""
    for row in reversed(pixels):  # bottom-up
        for p in row:
            if p is None:
                xor += b"\x00\x00\x00\x00"
            else:
                r, g, b = p
                xor += bytes((b, g, r, 255))
    mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    return directory + image


def on_screen(x, y):
    return (30, 90 + 10 * y, 200) if x < 8 else (30, 170, 90 + 8 * y)


def off_screen(x, y):
    return (120, 120, 120)


for name, screen in (("changer_on", on_screen), ("changer_off", off_screen)):
    with open(f"res/{name}.ico", "wb") as f:
        f.write(ico(monitor(screen)))
