#!/usr/bin/env python3
"""Draws the player's button and roll icons (32 x 32) into res/*.ico.
The player draws each icon at its button's top-left corner and the buttons
are smaller than the icon, so the picture fills only the top-left face of
the given size. Run from this folder."""
import struct

SIZE = 32


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


BUTTON_FACE = (14, 11)
ROLL_FACE = (13, 7)


def button(shapes, pressed=False, lit=False, face=BUTTON_FACE):
    width, height = face
    top, bottom = ((40, 40, 120), (20, 120, 40)) if not pressed else ((20, 20, 70), (10, 70, 20))
    glyph = (255, 255, 255) if not lit else (255, 220, 40)
    pixels = []
    for y in range(SIZE):
        row = []
        t = min(y, height - 1) / (height - 1)
        back = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        for x in range(SIZE):
            # The glyphs are drawn on a 32 x 32 grid and scaled to the face.
            px, py = (x + 0.5) * SIZE / width, (y + 0.5) * SIZE / height
            if pressed:
                px, py = px - 2, py - 2
            colour = back
            if x < width and y < height and any(inside_polygon(px, py, s) for s in shapes):
                colour = glyph
            edge = x in (0, width - 1) or y in (0, height - 1)
            row.append((90, 90, 90) if edge and x < width and y < height else colour)
        pixels.append(row)
    return pixels


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def tri_right(x0, y0, x1, y1):
    return [(x0, y0), (x1, (y0 + y1) / 2), (x0, y1)]


def tri_left(x0, y0, x1, y1):
    return [(x1, y0), (x0, (y0 + y1) / 2), (x1, y1)]


def tri_up(x0, y0, x1, y1):
    return [(x0, y1), ((x0 + x1) / 2, y0), (x1, y1)]


def tri_down(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), ((x0 + x1) / 2, y1)]


GLYPHS = {
    "prev": [rect(7, 9, 10, 23), tri_left(10, 9, 18, 23), tri_left(17, 9, 25, 23)],
    "play": [tri_right(10, 8, 24, 24)],
    "stop": [rect(9, 9, 23, 23)],
    "pause": [rect(9, 8, 14, 24), rect(18, 8, 23, 24)],
    "next": [tri_right(7, 9, 15, 23), tri_right(14, 9, 22, 23), rect(22, 9, 25, 23)],
    "add": [rect(14, 7, 18, 25), rect(7, 14, 25, 18)],
    "rnd": [rect(6, 10, 18, 13), tri_right(18, 7, 26, 16), rect(6, 19, 18, 22), tri_right(18, 16, 26, 25)],
}


def ico(pixels):
    xor = b""
    for row in reversed(pixels):
        for r, g, b in row:
            xor += bytes((b, g, r, 255))
    and_mask = b"\0" * (4 * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22) + image


def write(name, pixels):
    with open("res/%s.ico" % name, "wb") as f:
        f.write(ico(pixels))


for name in ["prev", "play", "stop", "pause", "next", "add", "rnd"]:
    write(name, button(GLYPHS[name]))
    if name != "rnd":  # its pressed image is the shuffle-on one
        write(name + "_down", button(GLYPHS[name], pressed=True))
write("rnd_on", button(GLYPHS["rnd"], pressed=True, lit=True))
write("roll_up", button([tri_up(8, 6, 24, 26)], face=ROLL_FACE))
write("roll_neutral", button([rect(8, 12, 24, 20)], face=ROLL_FACE))
write("roll_down", button([tri_down(8, 6, 24, 26)], face=ROLL_FACE))
