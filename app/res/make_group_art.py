#!/usr/bin/env python3
"""Draws the art of the group windows and the quick-pick list: the group drag
cursors (150, 151) and the quick-pick list's shape, bitmap 160. The
preferences dialog's expand and collapse arrows (129, 130) are the
reminder's, from alarms.rc.

Run from this folder; writes icons/group_leave.cur, icons/group_enter.cur
and icons/quick_pick.bmp."""
import math
import struct

from make_tray_icons import image_bytes

CLEAR = (0, 0, 0, 0)
INK = (30, 40, 70, 255)
BLUE = (60, 110, 190, 255)
WHITE = (255, 255, 255, 255)
YELLOW = (255, 230, 70, 255)


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def box(px, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            if 0 <= y < len(px) and 0 <= x < len(px[0]):
                px[y][x] = colour


def write_icon_file(path, px, kind=1, hotspot=(0, 0)):
    data = image_bytes(px)
    size = len(px)
    out = struct.pack('<HHH', 0, kind, 1)
    planes, bits = (1, 32) if kind == 1 else hotspot
    out += struct.pack('<BBBBHHII', size, size, 0, 0, planes, bits, len(data), 22)
    with open(path, 'wb') as f:
        f.write(out + data)


def pointer(px):
    """The arrow pointer, tip at the top left."""
    for y in range(16):
        box(px, 0, y, min(y, 10) + 1, y + 1, INK)
        box(px, 1, y, min(y, 10) - 0, y + 1, WHITE) if 1 < y < 15 else None


def cursor(entering):
    px = canvas(32)
    pointer(px)
    # a small note beside the pointer: yellow going in, outlined coming out
    box(px, 14, 14, 30, 28, INK)
    box(px, 15, 15, 29, 27, YELLOW if entering else WHITE)
    box(px, 15, 15, 29, 18, BLUE)
    if entering:
        box(px, 20, 19, 24, 26, INK)
        box(px, 18, 21, 26, 24, INK)
    else:
        box(px, 18, 21, 26, 24, INK)
    return px


# ---------------------------------------------------------------- bitmap 160
W, H = 291, 164
RED = (255, 0, 0)


def shape_palette():
    pal = [RED]
    # a blue ramp for the body and a grey ramp for the rims
    for i in range(100):
        t = i / 99.0
        pal.append((int(20 + 200 * t), int(60 + 170 * t), int(130 + 120 * t)))
    for i in range(100):
        v = int(40 + 215 * i / 99.0)
        pal.append((v, v, v))
    pal.append((0xE7, 0xEF, 0xFF))  # the list's own background
    while len(pal) < 256:
        pal.append((0, 0, 0))
    return pal


def rounded_inside(x, y, x0, y0, x1, y1, r):
    if x < x0 or x >= x1 or y < y0 or y >= y1:
        return False
    cx = min(max(x, x0 + r), x1 - 1 - r)
    cy = min(max(y, y0 + r), y1 - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def quick_pick_pixels():
    grey = lambda t: 101 + max(0, min(99, int(t * 99)))
    blue = lambda t: 1 + max(0, min(99, int(t * 99)))
    list_back = 201
    px = [[0] * W for _ in range(H)]
    for y in range(H):
        for x in range(W):
            # the name tab on top and the wider list body below it
            tab = rounded_inside(x, y, 2, 2, 287, 42, 12)
            body = rounded_inside(x, y, 12, 38, W - 12, H - 2, 16)
            if not (tab or body):
                continue
            # a rim two pixels wide, light at the top, dark at the bottom
            rim = not (rounded_inside(x, y, 4, 4, 285, 40, 10) or
                       rounded_inside(x, y, 14, 40, W - 14, H - 4, 14))
            if rim:
                px[y][x] = grey(1.0 - y / H)
            else:
                # a soft vertical ramp with a faint diagonal sheen
                t = 0.35 + 0.5 * (1.0 - y / H) + 0.1 * math.sin((x + y) / 23.0)
                px[y][x] = blue(t)
    # sunken wells for the name strip and the list
    for (x0, y0, x1, y1) in ((8, 8, 280, 35), (21, 48, 271, 152)):
        for y in range(y0, y1):
            for x in range(x0, x1):
                edge = x == x0 or y == y0
                light = x == x1 - 1 or y == y1 - 1
                px[y][x] = grey(0.2) if edge else grey(1.0) if light else list_back
    return px


def write_bmp(path):
    pal = shape_palette()
    px = quick_pick_pixels()
    row = (W + 3) & ~3
    image = b''.join(bytes(r) + bytes(row - W) for r in reversed(px))
    info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 8, 0, len(image), 2835, 2835, 256, 0)
    colours = b''.join(bytes((b, g, r, 0)) for (r, g, b) in pal)
    offset = 14 + len(info) + len(colours)
    head = struct.pack('<2sIHHI', b'BM', offset + len(image), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + colours + image)


write_icon_file('icons/group_leave.cur', cursor(False), kind=2, hotspot=(0, 0))
write_icon_file('icons/group_enter.cur', cursor(True), kind=2, hotspot=(0, 0))
write_bmp('icons/quick_pick.bmp')
