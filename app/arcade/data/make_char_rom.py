#!/usr/bin/env python3
"""Writes a demo game's 8192-byte character ROM from our glyph table.

usage: make_char_rom.py vuvovir|sorvalen OUTPUT

The ROM holds four planes of 2048 bytes, 8 bytes per code: the background set
in planes 0 and 1, the foreground set in planes 2 and 3. The machine draws
every tile a quarter turn round, so a glyph is stored turned back: byte y of a
code is the glyph's column 7 - y, and bit x of that byte is the glyph's row x.
The first plane of a set gives the pixel value's high bit.
"""
import os
import sys

# The glyph table sits beside us; leave no compiled copy in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import glyphs  # noqa: E402

ROM_SIZE = 8192
PLANE_SIZE = 2048
BACKGROUND = 0
FOREGROUND = 1

# Where the games' programs expect their tiles (kept in step with demo_game.asm).
WHITE_DIGITS = 0x30
YELLOW_DIGITS = 0xB0
CYAN_DIGITS = 0x10
WHITE_LETTERS = 0x41
YELLOW_LETTERS = 0x61
SPRITE_CODES = {'ship': 0x80, 'enemy': 0x81, 'shot': 0x82, 'barrier': 0x83, 'life': 0x84}
STAR_CODES = 0x01
ROCK_CODES = 0x40
GROUND_DOT_CODE = 0x48
# Codes the foreground treats as see-through; nothing of ours may live there.
TRANSPARENT_CODES = (0x00, 0x2D, 0x2E)


def pixel_value(mark, ink):
    if mark == '.':
        return 0
    if mark == '#':
        return ink
    if mark in '123':
        return int(mark)
    raise ValueError("unknown glyph mark %r" % mark)


def encode_tile(rows, ink=3):
    """Returns the two plane slices (8 bytes each) of one upright 8 x 8 glyph."""
    if len(rows) != 8 or any(len(r) != 8 for r in rows):
        raise ValueError("a glyph is 8 rows of 8 marks")
    high = bytearray(8)
    low = bytearray(8)
    for row in range(8):
        for column in range(8):
            value = pixel_value(rows[row][column], ink)
            stored_byte = 7 - column
            stored_bit = 1 << row
            if value & 2:
                high[stored_byte] |= stored_bit
            if value & 1:
                low[stored_byte] |= stored_bit
    return bytes(high), bytes(low)


def put_tile(rom, tile_set, code, rows, ink=3):
    if tile_set == FOREGROUND and code in TRANSPARENT_CODES:
        raise ValueError("code 0x%02X is see-through in the foreground" % code)
    high, low = encode_tile(rows, ink)
    first_plane = 0 if tile_set == BACKGROUND else 2
    for plane, data in ((first_plane, high), (first_plane + 1, low)):
        start = plane * PLANE_SIZE + code * 8
        rom[start:start + 8] = data


# Each game's own sprites, and the pixel value of its second digit colour:
# bank 1, where Sorvalen runs, shows value 3 of that code range in a dim purple.
GAMES = {
    'vuvovir': (glyphs.VUVOVIR_SPRITES, 3),
    'sorvalen': (glyphs.SORVALEN_SPRITES, 1),
}


def build_rom(game):
    sprites, accent_ink = GAMES[game]
    rom = bytearray(ROM_SIZE)
    for digit in range(10):
        cell = glyphs.font_cell(str(digit))
        put_tile(rom, FOREGROUND, WHITE_DIGITS + digit, cell)
        put_tile(rom, FOREGROUND, YELLOW_DIGITS + digit, cell, accent_ink)
        put_tile(rom, FOREGROUND, CYAN_DIGITS + digit, cell)
    for index in range(26):
        cell = glyphs.font_cell(chr(ord('A') + index))
        put_tile(rom, FOREGROUND, WHITE_LETTERS + index, cell)
        put_tile(rom, FOREGROUND, YELLOW_LETTERS + index, cell)
    for name, code in SPRITE_CODES.items():
        put_tile(rom, FOREGROUND, code, sprites[name])
    for index, star in enumerate(glyphs.STARS):
        put_tile(rom, BACKGROUND, STAR_CODES + index, star)
    for index, rock in enumerate(glyphs.ROCKS):
        put_tile(rom, BACKGROUND, ROCK_CODES + index, rock)
    put_tile(rom, BACKGROUND, GROUND_DOT_CODE, glyphs.GROUND_DOT)
    return bytes(rom)


def main(argv):
    if len(argv) != 3 or argv[1] not in GAMES:
        sys.stderr.write("usage: make_char_rom.py vuvovir|sorvalen OUTPUT\n")
        return 2
    rom = build_rom(argv[1])
    temporary = argv[2] + ".tmp"
    with open(temporary, "wb") as out:
        out.write(rom)
    os.replace(temporary, argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
