#!/usr/bin/env python3
"""Draws the process tree's icons: nine 8x8 load marks (processor use in
steps of one eighth, load0.ico .. load8.ico) and the dialog's own 16x16 and
32x32 icon (process_tree.ico). Run from this folder."""
import struct


def image(size, pixels):
    # 32 bits per pixel, bottom-up rows, and an all-zero AND mask padded to 32 bits a row.
    xor = b''.join(struct.pack('<BBBB', b, g, r, a)
                   for y in reversed(range(size)) for (r, g, b, a) in pixels[y])
    mask = bytes(((size + 31) // 32) * 4 * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for size, pixels in images:
        body = image(size, pixels)
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(body), offset + len(data))
        data += body
    return out + data


def load_mark(eighths):
    # A frame with a bar rising from green through yellow to red.
    n = 8
    p = [[(0, 0, 0, 0)] * n for _ in range(n)]
    for i in range(n):
        p[0][i] = p[n - 1][i] = p[i][0] = p[i][n - 1] = (60, 60, 60, 255)
    colour = [(40, 190, 60, 255), (230, 200, 40, 255), (220, 50, 40, 255)][min(2, eighths * 3 // 9)]
    height = round(eighths * 6 / 8)
    for y in range(n - 1 - height, n - 1):
        for x in range(1, n - 1):
            p[y][x] = colour
    return p


def tree_icon(n):
    k = n / 16.0
    p = [[(0, 0, 0, 0)] * n for _ in range(n)]

    def box(x0, y0, x1, y1, c):
        for y in range(int(y0 * k), int(y1 * k)):
            for x in range(int(x0 * k), int(x1 * k)):
                p[y][x] = c

    ink, node = (40, 40, 40, 255), (70, 130, 220, 255)
    box(3, 3, 4, 13, ink)
    for y in (6, 12):
        box(3, y, 8, y + 1, ink)
    box(1, 1, 6, 4, node)
    box(8, 5, 13, 8, node)
    box(8, 11, 13, 14, node)
    return p


for e in range(9):
    with open('load%d.ico' % e, 'wb') as f:
        f.write(ico([(8, load_mark(e))]))
with open('process_tree.ico', 'wb') as f:
    f.write(ico([(16, tree_icon(16)), (32, tree_icon(32))]))
