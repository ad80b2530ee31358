// The arcade picture worked out pixel by pixel, straight from the screen's
// rules, to hold the fast block-copy renderer against. Pixels are 0x00RRGGBB.
#pragma once
#include <stdint.h>

#include <vector>

struct ReferenceScreen {
    const uint8_t *charRom;          // 8192 bytes
    const uint8_t *foreground;       // 832 codes, as at 0x4000
    const uint8_t *background;       // 832 codes, as at 0x4800, as last drawn
    const uint8_t *backgroundBank;   // 832 banks: the bank each background tile was drawn in
    int foregroundBank;
    int scroll;
};

// The composed 208 x 256 picture.
std::vector<uint32_t> ReferencePicture(const ReferenceScreen &screen);
// The picture band right after the tiles are decoded: bank 0's tile sets.
std::vector<uint32_t> ReferenceTileSets(const uint8_t *charRom);
// The colour of pixel value v of a code in one bank and layer (background 0 or 1).
uint32_t ReferenceColour(int code, int bank, int background, int v);
// Pixel value 0..3 of a code as it appears on screen at (sx, sy) within its tile.
int ReferenceTileValue(const uint8_t *charRom, int background, int code, int sx, int sy);
