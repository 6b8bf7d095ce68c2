#!/usr/bin/env python3
"""Draws and composes everything the demo game shows and plays, packs it with LZ77 and writes
assets.c / assets.h into the folder given. Nothing here comes from anywhere else: the pictures
are the character grids and formulas below, the tune is the note list below.

    usage: make_assets.py OUT_DIR
"""

import math
import os
import random
import sys

import lz77

# ---- Colours (BGR555) ----


def rgb(r, g, b):
    return (b >> 3) << 10 | (g >> 3) << 5 | r >> 3


# Background bank 0: space, white text, its shadow, three star colours. Bank 1: yellow text.
BG_PALETTE = [rgb(8, 8, 32), rgb(240, 240, 240), rgb(40, 40, 90), rgb(90, 90, 150),
              rgb(160, 170, 230), rgb(255, 255, 200)] + [0] * 10
BG_PALETTE += [0, rgb(255, 220, 60), rgb(90, 40, 20)] + [0] * 13
OBJ_PALETTE = [0, rgb(200, 200, 210), rgb(90, 100, 130), rgb(80, 230, 255), rgb(255, 140, 30),
               rgb(170, 70, 220), rgb(255, 80, 80), rgb(255, 255, 120), rgb(255, 220, 40),
               rgb(255, 130, 20), rgb(60, 200, 255), rgb(255, 255, 255)] + [0] * 4

# ---- Font: 5x7 glyphs, one 5-bit row mask per row (bit 4 leftmost) ----

FONT = {
    '0': "0E 11 13 15 19 11 0E", '1': "04 0C 04 04 04 04 0E", '2': "0E 11 01 02 04 08 1F",
    '3': "1F 02 04 02 01 11 0E", '4': "02 06 0A 12 1F 02 02", '5': "1F 10 1E 01 01 11 0E",
    '6': "06 08 10 1E 11 11 0E", '7': "1F 01 02 04 08 08 08", '8': "0E 11 11 0E 11 11 0E",
    '9': "0E 11 11 0F 01 02 0C", 'A': "0E 11 11 1F 11 11 11", 'B': "1E 11 11 1E 11 11 1E",
    'C': "0E 11 10 10 10 11 0E", 'D': "1C 12 11 11 11 12 1C", 'E': "1F 10 10 1E 10 10 1F",
    'F': "1F 10 10 1E 10 10 10", 'G': "0E 11 10 17 11 11 0F", 'H': "11 11 11 1F 11 11 11",
    'I': "0E 04 04 04 04 04 0E", 'J': "07 02 02 02 02 12 0C", 'K': "11 12 14 18 14 12 11",
    'L': "10 10 10 10 10 10 1F", 'M': "11 1B 15 15 11 11 11", 'N': "11 11 19 15 13 11 11",
    'O': "0E 11 11 11 11 11 0E", 'P': "1E 11 11 1E 10 10 10", 'Q': "0E 11 11 11 15 12 0D",
    'R': "1E 11 11 1E 14 12 11", 'S': "0F 10 10 0E 01 01 1E", 'T': "1F 04 04 04 04 04 04",
    'U': "11 11 11 11 11 11 0E", 'V': "11 11 11 11 11 0A 04", 'W': "11 11 11 15 15 15 0A",
    'X': "11 11 0A 04 0A 11 11", 'Y': "11 11 11 0A 04 04 04", 'Z': "1F 01 02 04 08 10 1F",
    ':': "00 0C 0C 00 0C 0C 00", '-': "00 00 00 1F 00 00 00", '.': "00 00 00 00 00 0C 0C",
}
FIRST_CHAR, CHAR_COUNT = 32, 64  # tiles 0-63 are ASCII 32-95; tile 0 (space) is empty
STAR_TILE = CHAR_COUNT           # three star tiles follow the font

# ---- Sprites: one character per pixel, '.' transparent, digits/letters palette indices ----

SHIP = """
.......33.......
......3113......
......1111......
.....111111.....
.....112211.....
....11122111....
....11222211....
...1112222111...
..111122221111..
.11111111111111.
1111.111111.1111
111...1111...111
11....4..4....11
......4..4......
.....4....4.....
................"""
DRONE_A = """
................
................
.....555555.....
...5555555555...
..555555555555..
.55566555566555.
.55566555566555.
.55555555555555.
..555555555555..
...5.5.55.5.5...
..5..5....5..5..
.5...5....5...5.
5....5....5....5
................
................
................"""
DRONE_B = DRONE_A.replace("""
..5..5....5..5..
.5...5....5...5.
5....5....5....5""", """
...5.5....5.5...
...5..5..5..5...
..5...5..5...5..""")
BULLET = """
...77...
...77...
..7777..
...77...
...77...
...77...
...77...
........"""


def grid(text):
    rows = text.strip("\n").split("\n")
    assert len(set(len(r) for r in rows)) == 1, "ragged sprite"
    return [[0 if c == '.' else int(c, 16) for c in row] for row in rows]


def sun(size=32):
    """A disc with four rays: its turning is visible, which is what the affine sprite shows."""
    c = (size - 1) / 2
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            r, a = math.hypot(x - c, y - c), math.atan2(y - c, x - c)
            ray = 8 + 7 * max(0.0, math.cos(2 * a)) ** 6 + 3 * max(0.0, math.sin(2 * a)) ** 6
            row.append(8 if r < 7 else 9 if r < ray else 0)
        pixels.append(row)
    return pixels


def glow(size=32):
    c = (size - 1) / 2
    return [[10 if math.hypot(x - c, y - c) < 14 else 0 for x in range(size)] for y in range(size)]


# ---- Packing pixels into 4-bit tiles ----


def tile_bytes(pixels, tx, ty):
    out = bytearray()
    for y in range(8):
        row = pixels[ty * 8 + y][tx * 8:tx * 8 + 8]
        out += bytes(row[i] | row[i + 1] << 4 for i in range(0, 8, 2))
    return out


def sprite_tiles(pixels):
    """Tiles in the order a sprite reads them with one-dimensional mapping."""
    return b"".join(tile_bytes(pixels, tx, ty)
                    for ty in range(len(pixels) // 8) for tx in range(len(pixels[0]) // 8))


def glyph_pixels(rows):
    pixels = [[0] * 8 for _ in range(8)]
    for y, mask in enumerate(int(v, 16) for v in rows.split()):
        for x in range(5):
            if mask & (0x10 >> x):
                pixels[y][x + 1] = 1
                if pixels[y + 1][x + 2] == 0:
                    pixels[y + 1][x + 2] = 2  # shadow, under the glyph's own pixels
    return pixels


def background_tiles():
    tiles = bytearray()
    for code in range(FIRST_CHAR, FIRST_CHAR + CHAR_COUNT):
        rows = FONT.get(chr(code))
        tiles += tile_bytes(glyph_pixels(rows), 0, 0) if rows else bytes(32)
    for colour, spots in ((3, [(2, 5)]), (4, [(6, 1)]), (5, [(3, 3), (4, 3), (3, 4), (4, 4)])):
        pixels = [[0] * 8 for _ in range(8)]
        for x, y in spots:
            pixels[y][x] = colour
        tiles += tile_bytes(pixels, 0, 0)
    return bytes(tiles)


def star_map():
    """32x32 cells, one in six a star; a fixed seed so every build draws the same sky."""
    chance = random.Random(22)
    cells = bytearray()
    for _ in range(32 * 32):
        tile = STAR_TILE + chance.randrange(3) if chance.randrange(6) == 0 else 0
        cells += bytes([tile & 0xFF, tile >> 8])
    return bytes(cells)


OBJ_TILES = [SHIP, DRONE_A, DRONE_B]  # 4 tiles each from tile 0; the bullet at 12; 16 and 32 below


def object_tiles():
    tiles = b"".join(sprite_tiles(grid(s)) for s in OBJ_TILES)
    tiles += sprite_tiles(grid(BULLET)) + bytes(3 * 32)
    return tiles + sprite_tiles(sun()) + sprite_tiles(glow())


# ---- The title tune, 8-bit signed samples for the DMA sound FIFO ----

TIMER_PERIOD = 2128               # cycles per sample: exactly 132 samples in each frame
SAMPLES_PER_FRAME = 280896 // TIMER_PERIOD
SAMPLE_RATE = 16777216 / TIMER_PERIOD
FRAMES_PER_NOTE = 15
# Semitones above A3 (220 Hz); None rests. Eight bars of four, with a bass note per two.
MELODY = [12, 15, 19, 15, 17, 15, 12, None, 10, 12, 15, 12, 7, 10, 12, None,
          12, 15, 19, 22, 24, 22, 19, 15, 17, 15, 12, 10, 12, None, 12, None]
BASS = [0, 0, -4, -4, -2, -2, 0, 0, 0, 0, -4, -4, -2, -2, -5, 0]


def tune_samples():
    samples = bytearray()
    per_note = FRAMES_PER_NOTE * SAMPLES_PER_FRAME
    for index, note in enumerate(MELODY):
        bass_period = round(SAMPLE_RATE / (110 * 2 ** (BASS[index // 2] / 12)))
        lead_period = round(SAMPLE_RATE / (220 * 2 ** (note / 12))) if note is not None else 0
        for i in range(per_note):
            decay = 1 - i / per_note
            lead = (36 * decay if (i % lead_period) * 2 < lead_period else -36 * decay) \
                if lead_period else 0
            phase = (i % bass_period) / bass_period
            bass = 28 * (4 * abs(phase - 0.5) - 1)
            samples.append(int(round(lead + bass)) & 0xFF)
    return bytes(samples)


# ---- Output ----


def c_array(name, data, element="u8"):
    if element == "u16":
        values = ["0x%04X" % v for v in data]
    else:
        values = ["0x%02X" % v for v in data]
    lines = [", ".join(values[i:i + 12]) for i in range(0, len(values), 12)]
    return "const %s %s[%d] __attribute__((aligned(4))) = {\n  %s\n};\n" % (
        element, name, len(values), ",\n  ".join(lines))


def packed(name, data):
    out = lz77.compress(data)
    assert lz77.decompress(out) == data, name + " does not survive packing"
    return out


def main():
    out_dir = sys.argv[1]
    tune = tune_samples()
    packs = [("bg_tiles_lz", background_tiles()), ("star_map_lz", star_map()),
             ("obj_tiles_lz", object_tiles()), ("tune_lz", tune)]
    header = ["// Generated by demo/make_assets.py: do not edit.", "#pragma once",
              '#include "gba.h"', "",
              "#define TUNE_FRAMES %d" % (len(MELODY) * FRAMES_PER_NOTE),
              "#define TUNE_BYTES %d" % len(tune),
              "#define TUNE_TIMER_PERIOD %d" % TIMER_PERIOD,
              "#define STAR_TILE %d" % STAR_TILE,
              "extern const u16 bg_palette[32];", "extern const u16 obj_palette[16];"]
    source = ['// Generated by demo/make_assets.py: do not edit.', '#include "assets.h"', "",
              c_array("bg_palette", BG_PALETTE, "u16"), c_array("obj_palette", OBJ_PALETTE, "u16")]
    for name, data in packs:
        blob = packed(name, data)
        header.append("extern const u8 %s[%d];  // %d bytes unpacked" % (name, len(blob), len(data)))
        source.append(c_array(name, blob))
    with open(os.path.join(out_dir, "assets.h"), "w") as f:
        f.write("\n".join(header) + "\n")
    with open(os.path.join(out_dir, "assets.c"), "w") as f:
        f.write("\n".join(source))


if __name__ == "__main__":
    main()
