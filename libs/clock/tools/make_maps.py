#!/usr/bin/env python3
"""Draws the clock's six world maps from the GSHHG shorelines.

Needs GMT and its low-resolution shorelines, which Debian packages:
    apt-get install gmt gmt-gshhg-low
Run from anywhere:
    python3 libs/clock/tools/make_maps.py
The bitmaps it writes are committed, so the build itself needs neither.

The maps are equirectangular, 180 W at the left edge and 180 E at the right,
north at the top. Their colours are the night side: the clock brightens the
daylit part by adding the map to itself, so every channel stays below 128.
"""
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'maps')

# (resource id, width, height, encoding)
MAPS = [
    (5000, 455, 302, 'bi_rgb4'),
    (5001, 720, 400, 'rle4'),
    (5002, 900, 500, 'bi_rgb4'),
    (5003, 1200, 640, 'bi_rgb4'),
    (5004, 1600, 850, 'bi_rgb4'),
    (5005, 2005, 1047, 'rle8'),
]

# Sub-samples per pixel along each axis: coasts get mixed colours.
SUPER = 3

OCEAN = (70, 22, 8)  # palette entries are blue, green, red
LANDS = {
    'land': (26, 62, 44),
    'ice': (116, 108, 104),
}
GRID_OCEAN = (104, 52, 26)


def mix(a, b, f):
    return tuple(int(round(x * (1 - f) + y * f)) for x, y in zip(a, b))


def build_palette():
    palette = [OCEAN, GRID_OCEAN]
    index = {}
    for band, colour in LANDS.items():
        for level in (1, 2, 3):
            index[(band, level)] = len(palette)
            palette.append(mix(OCEAN, colour, level / 3))
    while len(palette) < 16:
        palette.append((0, 0, 0))
    return palette, index


def land_mask(width, height):
    """Rows north to south of 0 (water) or 1 (land), SUPER times finer."""
    cols, rows = width * SUPER, height * SUPER
    with tempfile.TemporaryDirectory() as tmp:
        grid = os.path.join(tmp, 'mask.b')
        # Lakes count as water, islands in lakes as land again.
        subprocess.run(['gmt', 'grdlandmask', '-R-180/180/-90/90',
                        '-I%d+n/%d+n' % (cols, rows), '-r', '-Dl', '-A0/0/1',
                        '-N0/1/0/1/0', '-G%s=bb' % grid],
                       check=True, cwd=tmp)
        data = open(grid, 'rb').read()
    body = data[len(data) - cols * rows:]
    if len(body) != cols * rows:
        raise SystemExit('unexpected grid size from grdlandmask')
    return [body[r * cols:(r + 1) * cols] for r in range(rows)]


def band_of(latitude):
    # Only the southern ice sheet: a latitude cut elsewhere would stripe the land.
    return 'ice' if latitude < -60 else 'land'


def on_graticule(x, y, width, height):
    """Dotted lines every 30 degrees over the sea."""
    lon = (x + 0.5) * 360.0 / width
    lat = (y + 0.5) * 180.0 / height
    step_x, step_y = 360.0 / width, 180.0 / height
    near_meridian = abs(lon - 30 * round(lon / 30)) < step_x / 2
    near_parallel = abs(lat - 30 * round(lat / 30)) < step_y / 2
    return (near_meridian and y % 3 == 0) or (near_parallel and x % 3 == 0)


def draw(width, height, index):
    mask = land_mask(width, height)
    pixels = []
    for y in range(height):
        latitude = 90.0 - (y + 0.5) * 180.0 / height
        band = band_of(latitude)
        rows = mask[y * SUPER:(y + 1) * SUPER]
        line = bytearray(width)
        for x in range(width):
            land = sum(sum(r[x * SUPER:(x + 1) * SUPER]) for r in rows)
            level = int(round(3 * land / (SUPER * SUPER)))
            if level:
                line[x] = index[(band, level)]
            elif on_graticule(x, y, width, height):
                line[x] = 1
            else:
                line[x] = 0
        pixels.append(bytes(line))
    return pixels


def pack_rgb4(row):
    out = bytearray()
    for x in range(0, len(row), 2):
        high = row[x]
        low = row[x + 1] if x + 1 < len(row) else 0
        out.append(high << 4 | low)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def runs(row, longest):
    x = 0
    while x < len(row):
        n = 1
        while x + n < len(row) and row[x + n] == row[x] and n < longest:
            n += 1
        yield n, row[x]
        x += n


def encode(rows, encoding):
    """Bottom-up bitmap bits: plain 4-bit rows or run-length encoded."""
    out = bytearray()
    for row in reversed(rows):
        if encoding == 'bi_rgb4':
            out += pack_rgb4(row)
            continue
        for n, colour in runs(row, 255):
            value = colour << 4 | colour if encoding == 'rle4' else colour
            out += bytes((n, value))
        out += b'\x00\x00'
    if encoding != 'bi_rgb4':
        out[-2:] = b'\x00\x01'
    return bytes(out)


def write_bmp(path, width, height, rows, encoding, palette):
    bits = 8 if encoding == 'rle8' else 4
    compression = {'bi_rgb4': 0, 'rle8': 1, 'rle4': 2}[encoding]
    colours = palette[:16]
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in colours)
    data = encode(rows, encoding)
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression,
                       len(data), 2835, 2835, len(colours), len(colours))
    with open(path, 'wb') as f:
        f.write(header + info + table + data)


def main():
    palette, index = build_palette()
    os.makedirs(OUT, exist_ok=True)
    for ident, width, height, encoding in MAPS:
        rows = draw(width, height, index)
        path = os.path.join(OUT, 'map%d.bmp' % ident)
        write_bmp(path, width, height, rows, encoding, palette)
        print('%s: %d x %d, %s, %d bytes' % (os.path.relpath(path), width, height,
                                           encoding, os.path.getsize(path)))


if __name__ == '__main__':
    main()
