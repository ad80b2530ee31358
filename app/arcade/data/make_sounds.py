#!/usr/bin/env python3
"""Synthesises the demo games' six sounds as 8-bit mono PCM WAVE files.

usage: make_sounds.py OUTPUT_FOLDER

Each file has the exact size and sample rate the machine's resources carry,
so a file of ours can stand in for any other image of the same sound. The
noise comes from a fixed generator: every build writes the same bytes.
"""
import math
import os
import struct
import sys

HEADER_SIZE = 44

# file name, whole file size in bytes, sample rate, synthesiser
SOUNDS = []


def sound(name, size, rate):
    def register(function):
        SOUNDS.append((name, size, rate, function))
        return function
    return register


class Noise:
    """A small linear congruential generator: reproducible noise in -1..1."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return ((self.state >> 8) & 0xFFFF) / 32768.0 - 1.0


def square(phase):
    return 1.0 if (phase % 1.0) < 0.5 else -1.0


@sound("shot.wav", 1766, 8000)
def shot(count, rate):
    # A fast falling square sweep.
    samples, phase = [], 0.0
    for i in range(count):
        t = i / count
        frequency = 1800.0 - 1500.0 * t
        phase += frequency / rate
        samples.append(0.8 * square(phase) * (1.0 - t))
    return samples


@sound("explosion.wav", 3886, 8000)
def explosion(count, rate):
    # Noise through a falling low-pass, dying away.
    noise, samples, level = Noise(1234), [], 0.0
    for i in range(count):
        t = i / count
        smoothing = 0.6 - 0.5 * t
        level += smoothing * (noise.next() - level)
        samples.append(min(1.0, 1.6 * level) * (1.0 - t) ** 1.5)
    return samples


@sound("start.wav", 12464, 8000)
def start_jingle(count, rate):
    # A rising tune of square notes, the last one held.
    notes = [523.25, 659.25, 783.99, 659.25, 783.99, 1046.5, 1046.5, 1046.5]
    per_note = count // len(notes) + 1
    samples, phase = [], 0.0
    for i in range(count):
        note = notes[min(i // per_note, len(notes) - 1)]
        within = (i % per_note) / per_note
        phase += note / rate
        envelope = 1.0 if i < per_note * 5 else 1.0 - (i - per_note * 5) / (count - per_note * 5)
        if within > 0.85 and i < per_note * 5:
            envelope = 0.0
        samples.append(0.6 * square(phase) * envelope)
    return samples


@sound("ship_lost.wav", 7492, 8012)
def ship_lost(count, rate):
    # A long falling tone mixed with fading noise.
    noise, samples, phase = Noise(4321), [], 0.0
    for i in range(count):
        t = i / count
        phase += (900.0 * (1.0 - t) + 60.0) / rate
        tone = square(phase) * (1.0 - t)
        samples.append(0.5 * tone + 0.4 * noise.next() * (1.0 - t) ** 2)
    return samples


@sound("coin.wav", 2136, 8012)
def coin(count, rate):
    # Two bright tones, the second higher.
    samples, phase = [], 0.0
    for i in range(count):
        t = i / count
        frequency = 987.77 if t < 0.35 else 1318.5
        phase += frequency / rate
        samples.append(0.7 * square(phase) * (1.0 - t * 0.7))
    return samples


@sound("barrier.wav", 5374, 11025)
def barrier(count, rate):
    # A rising warble.
    samples, phase = [], 0.0
    for i in range(count):
        t = i / count
        frequency = 300.0 + 500.0 * t + 80.0 * math.sin(2.0 * math.pi * 12.0 * t)
        phase += frequency / rate
        samples.append(0.7 * math.sin(2.0 * math.pi * phase) * (1.0 - t * 0.5))
    return samples


def wave_file(samples, rate):
    data = bytes(max(0, min(255, int(round(128 + 127 * s)))) for s in samples)
    header = struct.pack("<4sI4s4sIHHIIHH4sI",
                         b"RIFF", HEADER_SIZE - 8 + len(data), b"WAVE",
                         b"fmt ", 16, 1, 1, rate, rate, 1, 8,
                         b"data", len(data))
    return header + data


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_sounds.py OUTPUT_FOLDER\n")
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, size, rate, synthesise in SOUNDS:
        content = wave_file(synthesise(size - HEADER_SIZE, rate), rate)
        if len(content) != size:
            sys.stderr.write("%s came out %d bytes, not %d\n" % (name, len(content), size))
            return 1
        path = os.path.join(argv[1], name)
        with open(path + ".tmp", "wb") as out:
            out.write(content)
        os.replace(path + ".tmp", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
