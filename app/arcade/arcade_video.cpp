// The arcade picture: palette, tile colouring and the per-frame composition
// on a 32-bit surface. Tiles are coloured once per machine, so a frame is only
// block copies: changed background tiles, the scroll, and the foreground ORed.
#include <string.h>

#include "arcade_core.h"

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// Base colour numbers for pixel values 1, 2 and 3 of each of the 32 sets.
const uint8_t SetColours[32][3] = {
    {0, 5, 5},    {6, 2, 1},    {6, 2, 1},    {7, 15, 6},  {7, 15, 6},  {7, 15, 6},
    {1, 15, 6},   {15, 3, 1},   {4, 5, 5},    {6, 2, 1},   {6, 2, 1},   {6, 3, 15},
    {6, 3, 15},   {6, 3, 15},   {1, 2, 15},   {15, 3, 1},  {2, 4, 1},   {15, 14, 10},
    {11, 3, 10},  {14, 11, 9},  {15, 14, 3},  {15, 14, 3}, {15, 14, 3}, {15, 14, 3},
    {2, 4, 1},    {15, 14, 10}, {11, 3, 10},  {14, 11, 9}, {14, 9, 3},  {14, 9, 3},
    {14, 9, 3},   {14, 9, 3},
};

struct PaletteBuilder {
    PaletteBuilder() { BuildArcadePalette(); }
} paletteBuilder;

inline int TileBandX(int code) { return (code % ArcadeTilesPerBandRow) * ArcadeTileSize; }

inline int TileBandY(int code, int foreground) {
    return (code / ArcadeTilesPerBandRow) * ArcadeTileSize + (foreground ? ArcadeForegroundTileTop : 0);
}

inline int PlanePixel(const uint8_t *charRom, int plane, int code, int x, int y) {
    return (charRom[plane * ArcadeCharPlaneSize + code * 8 + y] >> x) & 1;
}

void CopyTile(uint32_t *surface, int fromX, int fromY, int toX, int toY) {
    for (int row = 0; row < ArcadeTileSize; row++) {
        memcpy(surface + (toY + row) * ArcadeSurfaceWidth + toX,
               surface + (fromY + row) * ArcadeSurfaceWidth + fromX,
               ArcadeTileSize * sizeof(uint32_t));
    }
}

void OrTile(uint32_t *surface, int fromX, int fromY, int toX, int toY) {
    for (int row = 0; row < ArcadeTileSize; row++) {
        const uint32_t *from = surface + (fromY + row) * ArcadeSurfaceWidth + fromX;
        uint32_t *to = surface + (toY + row) * ArcadeSurfaceWidth + toX;
        for (int x = 0; x < ArcadeTileSize; x++)
            to[x] |= from[x];
    }
}

inline int BankBand(int bank) { return bank ? ArcadeBank1Band : ArcadeBank0Band; }

void DrawBackgroundChanges(uint32_t *surface) {
    const uint8_t *video = Arcade.memory + ArcadeBackgroundRam;
    int band = BankBand(Arcade.characterBank);
    for (int r = 0; r < ArcadeVideoRows; r++) {
        for (int col = 0; col < ArcadeVideoColumns; col++) {
            int offset = r * ArcadeVideoColumns + col;
            uint8_t code = video[offset];
            // The shadow holds codes, not colours: a bank change alone
            // leaves the background as it was drawn.
            if (code == Arcade.backgroundShadow[offset])
                continue;
            CopyTile(surface, band + TileBandX(code), TileBandY(code, 0),
                     ArcadeLayerBand + (ArcadeVideoRows - 1 - r) * ArcadeTileSize, col * ArcadeTileSize);
            Arcade.backgroundShadow[offset] = code;
        }
    }
}

void CopyScrolledLayer(uint32_t *surface) {
    int scroll = Arcade.scrollValue;
    for (int y = 0; y < ArcadePictureHeight; y++) {
        int layerRow = (y + scroll) % ArcadeSurfaceHeight;
        memcpy(surface + y * ArcadeSurfaceWidth,
               surface + layerRow * ArcadeSurfaceWidth + ArcadeLayerBand,
               ArcadePictureWidth * sizeof(uint32_t));
    }
}

void DrawForeground(uint32_t *surface) {
    const uint8_t *video = Arcade.memory + ArcadeForegroundRam;
    int band = BankBand(Arcade.characterBank);
    for (int r = 0; r < ArcadeVideoRows; r++) {
        for (int col = 0; col < ArcadeVideoColumns; col++) {
            uint8_t code = video[r * ArcadeVideoColumns + col];
            if (code == ArcadeBlankTile || code == ArcadeBlankTile2D || code == ArcadeBlankTile2E)
                continue;
            OrTile(surface, band + TileBandX(code), TileBandY(code, 1),
                   (ArcadeVideoRows - 1 - r) * ArcadeTileSize, col * ArcadeTileSize);
        }
    }
}

} // namespace

const uint32_t ArcadeBaseColours[16] = {
    Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xFF, 0x00, 0x00), Rgb(0x00, 0xFF, 0x00),
    Rgb(0x00, 0x00, 0xFF), Rgb(0x00, 0xFF, 0xFF), Rgb(0xFF, 0xFF, 0x00), Rgb(0xFF, 0x00, 0xFF),
    Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0x80, 0xFF), Rgb(0xFF, 0x50, 0x00), Rgb(0x80, 0x00, 0xFF),
    Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0x00, 0x80), Rgb(0x80, 0x00, 0x80),
};

uint32_t ArcadePalette[ArcadePaletteSize];

void BuildArcadePalette(void) {
    for (int set = 0; set < 32; set++) {
        ArcadePalette[set * 4] = ArcadeBaseColours[0];
        for (int v = 1; v < 4; v++)
            ArcadePalette[set * 4 + v] = ArcadeBaseColours[SetColours[set][v - 1]];
    }
}

int ArcadeTileSet(int code, int bank, int background) {
    return code / 32 + 8 * bank + 16 * background;
}

uint32_t ArcadeSurfacePixel(uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

void ArcadeDrawTiles(const uint8_t *charRom, uint32_t *surface) {
    for (int foreground = 0; foreground < 2; foreground++) {
        int firstPlane = foreground ? 2 : 0;
        for (int code = 0; code < 256; code++) {
            uint32_t colours[2][4];
            for (int bank = 0; bank < 2; bank++) {
                int set = ArcadeTileSet(code, bank, !foreground);
                for (int v = 0; v < 4; v++)
                    colours[bank][v] = v ? ArcadeSurfacePixel(ArcadePalette[set * 4 + v]) : 0;
            }
            for (int y = 0; y < ArcadeTileSize; y++) {
                for (int x = 0; x < ArcadeTileSize; x++) {
                    int v = 2 * PlanePixel(charRom, firstPlane, code, x, y) +
                            PlanePixel(charRom, firstPlane + 1, code, x, y);
                    // Tiles are stored turned a quarter turn from the screen.
                    int tx = TileBandX(code) + ArcadeTileSize - 1 - y;
                    int ty = TileBandY(code, foreground) + x;
                    uint32_t *row = surface + ty * ArcadeSurfaceWidth;
                    row[ArcadeBank0Band + tx] = colours[0][v];
                    row[ArcadeBank1Band + tx] = colours[1][v];
                    row[tx] = colours[0][v];
                }
            }
        }
    }
}

void ArcadeTakeBackgroundShadow(void) {
    memcpy(Arcade.backgroundShadow, Arcade.memory + ArcadeBackgroundRam, sizeof Arcade.backgroundShadow);
}

void ArcadeComposeFrame(uint32_t *surface) {
    if (!Arcade.memory)
        return;
    if (Arcade.backgroundDirty) {
        Arcade.backgroundDirty = 0;
        DrawBackgroundChanges(surface);
    }
    CopyScrolledLayer(surface);
    DrawForeground(surface);
}
