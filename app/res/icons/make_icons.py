#!/usr/bin/env python3
"""Draws the note window's small icons and writes them as .ico files."""
import struct

N = 32


def ico(pixels):
    # One 32x32 image, 32 bits per pixel, bottom-up rows, plus an all-zero AND mask.
    xor = b''.join(struct.pack('<BBBB', b, g, r, a)
                   for y in reversed(range(N)) for (r, g, b, a) in pixels[y])
    mask = bytes(4 * N)
    header = struct.pack('<IiiHHIIiiII', 40, N, 2 * N, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', N, N, 0, 0, 1, 32, len(image), 22) + image


def canvas():
    return [[(0, 0, 0, 0)] * N for _ in range(N)]


def rect(p, x0, y0, x1, y1, c):
    for y in range(max(0, y0), min(N, y1)):
        for x in range(max(0, x0), min(N, x1)):
            p[y][x] = c


def frame(p, x0, y0, x1, y1, w, c):
    rect(p, x0, y0, x1, y0 + w, c)
    rect(p, x0, y1 - w, x1, y1, c)
    rect(p, x0, y0, x0 + w, y1, c)
    rect(p, x1 - w, y0, x1, y1, c)


def cross(p, c, inset, width):
    for i in range(inset, N - inset):
        for d in range(-width // 2, width - width // 2):
            for x in (i + d, N - 1 - i + d):
                if 0 <= x < N:
                    p[i][x] = c


def close_icon(hot):
    p = canvas()
    rect(p, 2, 2, 30, 30, (200, 40, 40, 255) if hot else (225, 225, 225, 255))
    frame(p, 2, 2, 30, 30, 2, (60, 60, 60, 255))
    cross(p, (255, 255, 255, 255) if hot else (30, 30, 30, 255), 8, 4)
    return p


def alarm_icon():
    p = canvas()
    cx, cy, r = 15.5, 16.5, 12.5
    for y in range(N):
        for x in range(N):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= r:
                p[y][x] = (40, 40, 40, 255) if d > r - 2.5 else (255, 240, 120, 255)
    rect(p, 15, 8, 17, 18, (40, 40, 40, 255))
    rect(p, 15, 16, 23, 18, (40, 40, 40, 255))
    rect(p, 3, 1, 9, 4, (200, 40, 40, 255))
    rect(p, 23, 1, 29, 4, (200, 40, 40, 255))
    return p


def calculator_icon():
    p = canvas()
    rect(p, 5, 1, 27, 31, (90, 90, 110, 255))
    rect(p, 8, 4, 24, 11, (190, 230, 190, 255))
    for row in range(4):
        for col in range(4):
            x, y = 8 + col * 4, 14 + row * 4
            rect(p, x, y, x + 3, y + 3, (240, 240, 240, 255))
    return p


def console_icon():
    p = canvas()
    rect(p, 1, 3, 31, 29, (20, 20, 20, 255))
    frame(p, 1, 3, 31, 29, 2, (160, 160, 160, 255))
    green = (60, 230, 60, 255)
    for i in range(6):
        rect(p, 6 + i, 9 + i, 9 + i, 11 + i, green)
        rect(p, 6 + i, 20 - i, 9 + i, 22 - i, green)
    rect(p, 15, 20, 25, 23, green)
    return p


def chevron_icon(up):
    # The reminder's expand button: an arrow that points where the dialog will grow or shrink to.
    p = canvas()
    rect(p, 1, 1, 31, 31, (225, 225, 225, 255))
    frame(p, 1, 1, 31, 31, 2, (60, 60, 60, 255))
    for i in range(9):
        y = 11 + i if not up else 20 - i
        rect(p, 7 + i, y, 10 + i, y + 3, (30, 30, 30, 255))
        rect(p, 22 - i, y, 25 - i, y + 3, (30, 30, 30, 255))
    return p


for name, pixels in [('reminder_collapsed.ico', chevron_icon(False)),
                     ('reminder_expanded.ico', chevron_icon(True)),
                     ('close.ico', close_icon(False)), ('close_hot.ico', close_icon(True)),
                     ('alarm.ico', alarm_icon()), ('calculator.ico', calculator_icon()),
                     ('console.ico', console_icon())]:
    with open(name, 'wb') as f:
        f.write(ico(pixels))
