#include "arcade_reference_picture.h"

namespace {

// Red, green, blue of the colours for pixel values 1, 2, 3 in each set.
struct Rgb { uint8_t r, g, b; };
const Rgb Black = {0, 0, 0}, White = {255, 255, 255}, Red = {255, 0, 0}, Green = {0, 255, 0},
          Blue = {0, 0, 255}, Cyan = {0, 255, 255}, Yellow = {255, 255, 0}, Magenta = {255, 0, 255},
          Pink = {255, 128, 255}, RedOrange = {255, 80, 0}, Violet = {128, 0, 255},
          Navy = {0, 0, 128}, Purple = {128, 0, 128};

const Rgb *SetColours(int set) {
    static const Rgb sets[][3] = {
        {Black, Cyan, Cyan},       {Yellow, Red, White},      {Magenta, Purple, Yellow},
        {White, Purple, Yellow},   {Purple, Green, White},    {Blue, Cyan, Cyan},
        {Yellow, Green, Purple},   {White, Red, Purple},      {Red, Blue, White},
        {Purple, Navy, RedOrange}, {Violet, Green, RedOrange}, {Navy, Violet, Pink},
        {Purple, Navy, Green},     {Navy, Pink, Green},
    };
    static const int setRow[32] = {0, 1, 1, 2, 2, 2, 3, 4, 5, 1, 1, 6, 6, 6, 7, 4,
                                   8, 9, 10, 11, 12, 12, 12, 12, 8, 9, 10, 11, 13, 13, 13, 13};
    return sets[setRow[set]];
}

} // namespace

uint32_t ReferenceColour(int code, int bank, int background, int v) {
    if (v == 0)
        return 0;
    int set = code / 32 + 8 * bank + 16 * background;
    Rgb c = SetColours(set)[v - 1];
    return (uint32_t)c.r << 16 | (uint32_t)c.g << 8 | c.b;
}

int ReferenceTileValue(const uint8_t *charRom, int background, int code, int sx, int sy) {
    // On screen the tile is turned: screen column sx shows ROM row 7 - sx,
    // screen row sy shows ROM bit sy.
    int romY = 7 - sx, romX = sy;
    int first = background ? 0 : 2;
    int hi = (charRom[first * 2048 + code * 8 + romY] >> romX) & 1;
    int lo = (charRom[(first + 1) * 2048 + code * 8 + romY] >> romX) & 1;
    return 2 * hi + lo;
}

std::vector<uint32_t> ReferencePicture(const ReferenceScreen &s) {
    std::vector<uint32_t> picture(208 * 256);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 208; x++) {
            int r = 25 - x / 8;
            int layerY = (y + s.scroll) % 256;
            int bgIndex = r * 32 + layerY / 8;
            int bgCode = s.background[bgIndex];
            uint32_t pixel = ReferenceColour(bgCode, s.backgroundBank[bgIndex], 1,
                                             ReferenceTileValue(s.charRom, 1, bgCode, x % 8, layerY % 8));
            int fgCode = s.foreground[r * 32 + y / 8];
            if (fgCode != 0x00 && fgCode != 0x2D && fgCode != 0x2E)
                pixel |= ReferenceColour(fgCode, s.foregroundBank, 0,
                                         ReferenceTileValue(s.charRom, 0, fgCode, x % 8, y % 8));
            picture[y * 208 + x] = pixel;
        }
    }
    return picture;
}

std::vector<uint32_t> ReferenceTileSets(const uint8_t *charRom) {
    std::vector<uint32_t> picture(208 * 256, 0);
    for (int y = 0; y < 256; y++) {
        int background;
        int setRow;
        if (y < 80) {
            background = 1;
            setRow = y / 8;
        } else if (y >= 160 && y < 240) {
            background = 0;
            setRow = (y - 160) / 8;
        } else {
            continue;
        }
        for (int x = 0; x < 208; x++) {
            int code = setRow * 26 + x / 8;
            if (code > 255)
                continue;
            picture[y * 208 + x] =
                ReferenceColour(code, 0, background, ReferenceTileValue(charRom, background, code, x % 8, y % 8));
        }
    }
    return picture;
}
