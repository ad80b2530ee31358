#!/usr/bin/env python3
"""Draws the clock's two cursors: the map-shift arrow and the resize arrow.

    python3 libs/clock/tools/make_cursors.py
writes libs/clock/cursors/*.cur (32 x 32, black with a white outline).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'cursors')
SIZE = 32


def double_arrow(horizontal_only):
    """Pixels of a two-headed arrow through the centre: left-right, or
    top-left to bottom-right."""
    core = set()
    for t in range(-11, 12):
        for w in (-1, 0):
            core.add((16 + t, 16 + w) if horizontal_only else (16 + t, 16 + t + w))
    for head in range(0, 7):
        for s in range(-head, head + 1):
            for end in (-1, 1):
                tip = 16 + end * 12
                if horizontal_only:
                    core.add((tip - end * head, 16 + s - (1 if s < 0 else 0)))
                else:
                    # Heads are right angles opening back along the diagonal.
                    x = tip - end * head
                    core.add((x, tip))
                    core.add((tip, x))
    return core


def outline(core):
    ring = set()
    for x, y in core:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in core and 0 <= p[0] < SIZE and 0 <= p[1] < SIZE:
                    ring.add(p)
    return ring


def write_cursor(path, core, hotspot):
    ring = outline(core)
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        xor_bits = and_bits = 0
        for x in range(SIZE):
            bit = 1 << (31 - x)
            if (x, y) in ring:
                xor_bits |= bit  # white
            elif (x, y) not in core:
                and_bits |= bit  # transparent
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + entry + image)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_cursor(os.path.join(OUT, 'shift.cur'), double_arrow(True), (16, 16))
    write_cursor(os.path.join(OUT, 'resize.cur'), double_arrow(False), (16, 16))


if __name__ == '__main__':
    main()
