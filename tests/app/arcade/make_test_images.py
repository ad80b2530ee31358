#!/usr/bin/env python3
"""Writes small ROM images and sounds for the machine's Windows tests, and the
.rc file that puts them where the machine looks for them.

usage: make_test_images.py OUTPUT_FOLDER
"""
import os
import struct
import sys

# Waits for each vertical blank and counts the frames it saw at 0x4100, after
# putting tile 0x41 at the top right of the foreground.
PROGRAM = bytes([
    0x21, 0x00, 0x40,   # LD HL,4000h
    0x36, 0x41,         # LD (HL),41h
    0x3A, 0x00, 0x78,   # wait: LD A,(7800h)
    0xE6, 0x80,         # AND 80h
    0x28, 0xF9,         # JR Z,wait
    0x21, 0x00, 0x41,   # LD HL,4100h
    0x34,               # INC (HL)
    0x18, 0xF3,         # JR wait
])


def pattern(size, seed):
    out = bytearray(size)
    x = (seed * 2654435761 + 1) & 0xFFFFFFFF
    for i in range(size):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = (x >> 16) & 0xFF
    return bytes(out)


def wave(samples, rate=8000):
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(samples)) + samples
    return b'RIFF' + struct.pack('<I', len(body)) + body


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    chars = bytearray(pattern(8192, 3))
    # Background code 0 is blank, as a cleared layer shows it.
    for plane in (0, 1):
        chars[plane * 2048:plane * 2048 + 8] = bytes(8)
    good = wave(bytes(128 + (i * 7) % 64 for i in range(400)))
    damaged = bytearray(good)
    damaged[4:8] = struct.pack('<I', len(good) + 100)
    files = {
        'program.bin': PROGRAM + bytes(16384 - len(PROGRAM)),
        'chars.bin': bytes(chars),
        'short.bin': bytes(100),
        'good.wav': good,
        'damaged.wav': bytes(damaged),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    # Sorvalen's program image is too short and its character image missing.
    entries = [(104, 'RT_DATA', 'program.bin'), (106, 'RT_DATA', 'chars.bin'), (110, 'RT_DATA', 'short.bin'),
               (111, 'WAVE', 'good.wav'), (112, 'WAVE', 'good.wav'), (113, 'WAVE', 'damaged.wav'),
               (114, 'WAVE', 'good.wav'), (115, 'WAVE', 'good.wav'), (128, 'WAVE', 'good.wav')]
    with open(os.path.join(out, 'arcade_test_images.rc'), 'w') as f:
        for number, kind, name in entries:
            f.write('%d %s "%s"\n' % (number, kind, os.path.join(out, name)))


if __name__ == '__main__':
    main()
