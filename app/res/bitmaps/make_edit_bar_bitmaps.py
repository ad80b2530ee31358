#!/usr/bin/env python3
"""Draws the edit toolbar's button images and its strip's looks as 24-bit .bmp files."""
import struct
import os

GREY = (192, 192, 192)  # the toolbar shows it as the button face
BLACK = (0, 0, 0)
DARK = (128, 128, 128)
WHITE = (255, 255, 255)
RED = (200, 0, 0)
BLUE = (0, 0, 200)
YELLOW = (255, 255, 0)
GREEN = (0, 150, 0)

# 3 x 5 letters
GLYPHS = {
    'A': ["010", "101", "111", "101", "101"],
    'B': ["110", "101", "110", "101", "110"],
    'C': ["011", "100", "100", "100", "011"],
    'I': ["111", "010", "010", "010", "111"],
    'U': ["101", "101", "101", "101", "111"],
    'S': ["011", "100", "010", "001", "110"],
    'x': ["000", "101", "010", "101", "000"],
    '1': ["010", "110", "010", "010", "111"],
    '2': ["110", "001", "010", "100", "111"],
    '3': ["110", "001", "010", "001", "110"],
}


def image(width, height):
    return [[GREY] * width for _ in range(height)]


def rect(p, x0, y0, x1, y1, c):
    for y in range(max(0, y0), min(len(p), y1)):
        for x in range(max(0, x0), min(len(p[0]), x1)):
            p[y][x] = c


def frame(p, x0, y0, x1, y1, c):
    rect(p, x0, y0, x1, y0 + 1, c)
    rect(p, x0, y1 - 1, x1, y1, c)
    rect(p, x0, y0, x0 + 1, y1, c)
    rect(p, x1 - 1, y0, x1, y1, c)


def letter(p, ch, x, y, c, scale=2):
    for row, bits in enumerate(GLYPHS[ch]):
        for col, bit in enumerate(bits):
            if bit == '1':
                rect(p, x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c)


def italic(p, x, y, c):
    for row in range(10):
        shift = (9 - row) // 3
        rect(p, x + 2 + shift, y + row, x + 4 + shift, y + row + 1, c)
    rect(p, x + 2, y, x + 8, y + 1, c)
    rect(p, x, y + 9, x + 6, y + 10, c)


def arrow(p, x0, y, left, c):
    rect(p, 4, y, 14, y + 2, c)
    for i in range(4):
        xx = x0 + i if left else x0 - i
        rect(p, xx, y - i, xx + 1, y + 2 + i, c)


def format_images():
    cells = []
    for draw in range(14):
        p = image(16, 16)
        if draw == 0:
            letter(p, 'B', 5, 3, BLACK)
            letter(p, 'B', 6, 3, BLACK)
        elif draw == 1:
            italic(p, 4, 3, BLACK)
        elif draw == 2:
            letter(p, 'U', 5, 2, BLACK)
            rect(p, 3, 13, 13, 14, BLACK)
        elif draw == 3:
            letter(p, 'S', 5, 3, BLACK)
            rect(p, 2, 7, 14, 8, RED)
        elif draw == 4:
            letter(p, 'x', 1, 5, BLACK)
            letter(p, '2', 9, 1, BLUE)
        elif draw == 5:
            letter(p, 'x', 1, 2, BLACK)
            letter(p, '2', 9, 6, BLUE)
        elif draw == 6:
            letter(p, 'A', 2, 3, BLACK)
            letter(p, 'A', 9, 5, DARK, 1)
        elif draw == 7:
            for y in (3, 7, 11):
                rect(p, 2, y, 4, y + 2, BLACK)
                rect(p, 6, y, 14, y + 1, DARK)
        elif draw == 8:
            for n, y in zip('123', (1, 6, 11)):
                letter(p, n, 1, y, BLACK, 1)
                rect(p, 6, y + 2, 14, y + 3, DARK)
        elif draw == 9:
            for y in (2, 12):
                rect(p, 2, y, 14, y + 1, DARK)
            arrow(p, 2, 7, True, BLUE)
        elif draw == 10:
            for y in (2, 12):
                rect(p, 2, y, 14, y + 1, DARK)
            arrow(p, 13, 7, False, BLUE)
        elif draw == 11:
            for i in range(7):
                rect(p, 4 + i, 1 + i, 5 + i, 2 + i, BLACK)
                rect(p, 11 - i, 1 + i, 12 - i, 2 + i, BLACK)
            frame(p, 2, 9, 7, 14, BLACK)
            frame(p, 9, 9, 14, 14, BLACK)
        elif draw == 12:
            rect(p, 2, 1, 10, 11, WHITE)
            frame(p, 2, 1, 10, 11, BLACK)
            rect(p, 6, 5, 14, 15, WHITE)
            frame(p, 6, 5, 14, 15, BLACK)
        elif draw == 13:
            rect(p, 2, 2, 13, 15, (160, 110, 50))
            rect(p, 5, 1, 10, 4, DARK)
            rect(p, 6, 5, 15, 15, WHITE)
            frame(p, 6, 5, 15, 15, BLACK)
        cells.append(p)
    return cells


def note_images():
    cells = []
    for draw in range(12):
        p = image(16, 16)
        if draw == 0:
            letter(p, 'A', 5, 1, BLACK)
            rect(p, 2, 12, 14, 15, RED)
        elif draw == 1:
            rect(p, 2, 3, 14, 11, YELLOW)
            letter(p, 'A', 5, 2, BLACK, 2)
            rect(p, 2, 12, 14, 15, YELLOW)
        elif draw == 2:
            for y in range(2, 14, 3):
                rect(p, 2, y, 14, y + 2, YELLOW)
                rect(p, 3, y, 12, y + 1, BLACK)
        elif draw == 3:
            for i, c in enumerate((RED, GREEN, BLUE, YELLOW)):
                x, y = 2 + (i % 2) * 6, 2 + (i // 2) * 6
                rect(p, x, y, x + 5, y + 5, c)
                frame(p, x, y, x + 5, y + 5, BLACK)
        elif draw in (4, 5):
            rect(p, 5, 1, 11, 3, BLACK)
            body = RED if draw == 4 else WHITE
            rect(p, 6, 3, 10, 9, body)
            frame(p, 6, 3, 10, 9, BLACK)
            rect(p, 3, 9, 13, 10, BLACK)
            rect(p, 7, 10, 9, 15, DARK)
        elif draw == 6:
            rect(p, 4, 4, 12, 12, DARK)
            for x, y in ((7, 1), (7, 12), (1, 7), (12, 7)):
                rect(p, x, y, x + 3, y + 3, DARK)
            rect(p, 6, 6, 10, 10, GREY)
        elif draw == 7:
            rect(p, 4, 1, 12, 6, WHITE)
            frame(p, 4, 1, 12, 6, BLACK)
            rect(p, 1, 6, 15, 12, DARK)
            frame(p, 1, 6, 15, 12, BLACK)
            rect(p, 4, 11, 12, 15, WHITE)
            frame(p, 4, 11, 12, 15, BLACK)
        elif draw == 8:
            letter(p, 'A', 0, 1, BLACK, 1)
            letter(p, 'B', 4, 1, BLACK, 1)
            letter(p, 'C', 8, 1, BLACK, 1)
            for i in range(4):
                rect(p, 5 + i, 10 + i, 6 + i, 11 + i, GREEN)
            for i in range(6):
                rect(p, 9 + i, 13 - i, 10 + i, 14 - i, GREEN)
        elif draw == 9:
            rect(p, 3, 1, 13, 15, DARK)
            rect(p, 4, 2, 12, 5, (180, 230, 180))
            for y in (7, 10, 13):
                for x in (4, 7, 10):
                    rect(p, x, y, x + 2, y + 2, WHITE)
        elif draw == 10:
            rect(p, 2, 2, 14, 14, BLUE)
            rect(p, 4, 2, 12, 7, WHITE)
            rect(p, 5, 10, 11, 14, DARK)
        elif draw == 11:
            rect(p, 1, 4, 7, 6, (220, 180, 60))
            rect(p, 1, 6, 15, 14, (240, 200, 80))
            frame(p, 1, 6, 15, 14, BLACK)
        cells.append(p)
    return cells


def strip_looks():
    # Six bands of 8 rows: collapsed pressed, collapsed hover, collapsed,
    # expanded, expanded hover, expanded pressed. Each: left cap 0..15,
    # middle tile 16..33, right cap 34..49.
    p = image(50, 48)
    looks = [((150, 150, 170), 'down'), ((200, 210, 255), 'down'), ((215, 215, 230), 'down'),
             ((215, 215, 230), 'up'), ((200, 210, 255), 'up'), ((150, 150, 170), 'up')]
    for band, (face, way) in enumerate(looks):
        y0 = band * 8
        rect(p, 0, y0, 50, y0 + 8, face)
        rect(p, 0, y0, 50, y0 + 1, WHITE)
        rect(p, 0, y0 + 7, 50, y0 + 8, DARK)
        rect(p, 0, y0, 1, y0 + 8, WHITE)
        rect(p, 49, y0, 50, y0 + 8, DARK)
        # a small arrow in each cap says which way a click goes
        for cap in (4, 38):
            for i in range(3):
                row = y0 + (2 + i if way == 'down' else 5 - i)
                rect(p, cap + i, row, cap + 7 - i, row + 1, BLACK)
        for x in range(18, 33, 3):
            rect(p, x, y0 + 3, x + 1, y0 + 5, DARK)
    return p


def join(cells):
    return [sum((c[y] for c in cells), []) for y in range(16)]


def bmp(pixels):
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in reversed(range(h)):
        row = b''.join(struct.pack('<BBB', b, g, r) for (r, g, b) in pixels[y])
        rows += row + bytes(stride - len(row))
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(rows), 0, 0, 54) + header + rows


here = os.path.dirname(os.path.abspath(__file__))
for name, pixels in (('edit_bar_format.bmp', join(format_images())),
                     ('edit_bar_note.bmp', join(note_images())),
                     ('edit_bar_strip.bmp', strip_looks())):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(bmp(pixels))
