// Sizes, addresses, resource numbers and key codes of the arcade machine.
// Portable: shared by the machine's core and its Win32 side.
#pragma once
#include <stdint.h>

enum : int {
    ArcadeMemorySize = 65536,
    ArcadeProgramRomSize = 16384,
    ArcadeCharRomSize = 8192,
    ArcadeCharPlaneSize = 2048,
    ArcadeHookPeriod = 51166,
    ArcadeHiScoreSize = 12,
    ArcadeHiScoreRestoreWrites = 36,
    ArcadeFrameRateTextSize = 32,
    ArcadeFramesPerRateUpdate = 60
};

// Memory map, as the game sees it.
enum : uint16_t {
    ArcadeRomEnd = 0x4000,
    ArcadeForegroundRam = 0x4000,
    ArcadeHiScoreArea = 0x4380,
    ArcadeHiScoreAreaLast = 0x438B,
    ArcadeBackgroundRam = 0x4800,
    ArcadeBackgroundRamLast = 0x4BFF,
    ArcadeVideoRegister = 0x5000,
    ArcadeVideoRegisterLast = 0x53FF,
    ArcadeScrollRegister = 0x5800,
    ArcadeScrollRegisterLast = 0x5BFF,
    ArcadeSoundLatchA = 0x6000,
    ArcadeSoundLatchALast = 0x63FF,
    ArcadeSoundLatchB = 0x6800,
    ArcadeSoundLatchBLast = 0x6BFF,
    ArcadeInputPort = 0x7000,
    ArcadeInputPortLast = 0x73FF,
    ArcadeDipPort = 0x7800,
    ArcadeDipPortLast = 0x7BFF,
    ArcadeIoEnd = 0x8000
};

enum : uint8_t {
    ArcadeVerticalBlankBit = 0x80,
    ArcadeInputForcedBit = 0x08,
    ArcadeVideoStateForcing1 = 0x0C,
    ArcadeVideoStateForcing2 = 0x30,
    ArcadeInputIdle = 0xFF
};

// Input byte bits (active low) and the key codes that drive them.
enum : uint8_t {
    ArcadeInputCoin = 0x01,
    ArcadeInputStart1 = 0x02,
    ArcadeInputStart2 = 0x04,
    ArcadeInputFire = 0x10,
    ArcadeInputRight = 0x20,
    ArcadeInputLeft = 0x40,
    ArcadeInputBarrier = 0x80
};

enum : int {
    ArcadeKeyFire = 0x20,
    ArcadeKeyStart1 = 0x31,
    ArcadeKeyStart2 = 0x32,
    ArcadeKeyCoin = 0x33,
    ArcadeKeyLeft = 0x41,
    ArcadeKeyBarrier = 0x42,
    ArcadeKeyRight = 0x44,
    ArcadeKeyFrameSkipUp = 0x51,
    ArcadeKeyFrameSkipDown = 0x57
};

// The screen: memory rows become screen columns, so 26 rows of 32 tiles give
// an upright picture 208 wide and 256 high.
enum : int {
    ArcadePictureWidth = 208,
    ArcadePictureHeight = 256,
    ArcadeSurfaceWidth = 832,
    ArcadeSurfaceHeight = 256,
    ArcadeBank0Band = 208,
    ArcadeBank1Band = 416,
    ArcadeLayerBand = 624,
    ArcadeTileSize = 8,
    ArcadeTilesPerBandRow = 26,
    ArcadeForegroundTileTop = 160,
    ArcadeVideoRows = 26,
    ArcadeVideoColumns = 32,
    ArcadeBackgroundShadowSize = 1024,
    ArcadePaletteSize = 128
};

static_assert(ArcadeBank0Band == ArcadePictureWidth, "the tile bands follow the picture");
static_assert(ArcadeLayerBand + ArcadePictureWidth == ArcadeSurfaceWidth, "four bands");
static_assert(ArcadeVideoRows * ArcadeTileSize == ArcadePictureWidth, "rows are columns");
static_assert(ArcadeVideoColumns * ArcadeTileSize == ArcadePictureHeight, "columns are rows");

// Foreground codes that leave the background visible.
enum : uint8_t {
    ArcadeBlankTile = 0x00,
    ArcadeBlankTile2D = 0x2D,
    ArcadeBlankTile2E = 0x2E
};

// Resource ids of the ROM images and sounds, as plain defines: the resource
// compiler reads them too (res/arcade_data.rc).
#define IDR_VUVOVIR_PROGRAM_ROM 104
#define IDR_SORVALEN_PROGRAM_ROM 110
#define IDR_VUVOVIR_CHAR_ROM 106
#define IDR_SORVALEN_CHAR_ROM 107
#define IDR_SOUND_A50 111
#define IDR_SOUND_A8F 112
#define IDR_SOUND_B02 113
#define IDR_SOUND_A_FIRE 114
#define IDR_SOUND_B0C 115
#define IDR_SOUND_A0C 128

// Game numbers and the resources each one takes.
enum : int {
    ArcadeVuvovirGame = 1,
    ArcadeSorvalenGame = 2,
    ArcadeVuvovirProgramRom = IDR_VUVOVIR_PROGRAM_ROM,
    ArcadeSorvalenProgramRom = IDR_SORVALEN_PROGRAM_ROM,
    ArcadeVuvovirCharRom = IDR_VUVOVIR_CHAR_ROM,
    ArcadeSorvalenCharRom = IDR_SORVALEN_CHAR_ROM
};

// The six sounds, named by the latch write that starts them.
enum : int {
    ArcadeSoundA50 = IDR_SOUND_A50,
    ArcadeSoundA8F = IDR_SOUND_A8F,
    ArcadeSoundB02 = IDR_SOUND_B02,
    ArcadeSoundAFire = IDR_SOUND_A_FIRE,
    ArcadeSoundB0C = IDR_SOUND_B0C,
    ArcadeSoundA0C = IDR_SOUND_A0C,
    ArcadeSoundCount = 6
};

#define ARCADE_ROM_TYPE "RT_DATA"
#define ARCADE_SOUND_TYPE "WAVE"
#define ARCADE_FRAME_RATE_FORMAT "FPS = %d FS = %d"
