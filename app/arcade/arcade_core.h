// The arcade machine without Windows: memory map, ports, sound latches,
// high-score restore, keys, the frame hook and the picture composer. The
// Win32 side (arcade_machine.cpp) supplies resources, sounds, drawing and
// pacing through the machine's host calls; tests supply their own.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <atomic>

#include "arcade_constants.h"
#include "z80.h"

// What the machine asks of the platform. A null entry does nothing. The
// Win32 side fills them at every ArcadeInit; tests put their own.
struct ArcadeHostCalls {
    void (*startSound)(int waveId);   // cuts off the sound playing
    void (*renderFrame)(void);        // compose and show one frame
    void (*waitForFrame)(void);       // frame pacing; not called at full throttle
    uint32_t (*tickCount)(void);      // milliseconds, for the frame rate
};

enum ArcadeMachineState : int {
    ArcadeNoMachine,
    ArcadeReady,     // built, not yet run
    ArcadeRunning,   // machineRunning: the hook lets the core go on
    ArcadeStopping   // stopped before or while running; the hook asks to quit
};

struct ArcadeSetup {
    int stretch;
    int showFrameRate;
    uint8_t lives;   // DIP settings, 0 to 3
    uint8_t bonus;
};

// One machine per process. The dialog's thread writes the atomics; the
// emulation thread owns the rest while the machine runs.
struct ArcadeMachine {
    ArcadeHostCalls host;
    uint8_t *memory;
    uint8_t charRom[ArcadeCharRomSize];
    Z80Regs regs;
    uint8_t lives, bonus;
    uint8_t verticalBlank;
    uint8_t scrollValue;
    uint8_t characterBank;
    uint8_t backgroundDirty;
    uint8_t hiScoreRestoreCount;
    uint16_t hiScoreStoredMask;   // score bytes the game itself wrote
    uint8_t backgroundShadow[ArcadeBackgroundShadowSize];
    int32_t frameCounter;
    int32_t stopAfterFrames;      // 0: run until stopped
    std::atomic<int> frameSkip;
    std::atomic<int> stretch, showFrameRate, fullThrottle;
    std::atomic<int> state;
};
extern ArcadeMachine Arcade;

// What outlives every machine, for the whole process: the high scores the
// next machine restores, the last value of the video register, and the
// frame-rate text with the tick it was made at.
struct ArcadeProcessKeeps {
    uint8_t HiScoreTable[ArcadeHiScoreSize];
    uint8_t videoRegisterValue;
    char frameRateText[ArcadeFrameRateTextSize];
    struct {
        bool taken;
        uint32_t at;
    } frameRateReference;
};
extern ArcadeProcessKeeps ArcadeKept;

// Builds a machine from ROM images in memory (16384 program bytes, 8192
// character bytes; shorter images are refused). Returns 0, or -1 with no
// machine and HiScoreTable untouched.
int ArcadeCoreInit(const uint8_t *programRom, size_t programSize,
                   const uint8_t *charRom, size_t charSize, const ArcadeSetup &setup);
// Runs the machine on this thread until it is stopped. Returns 0 after the
// run, -1 when the machine was not ready (never built, or already stopped).
int ArcadeCoreRun(void);
// Runs exactly the given number of frames more, then returns; the machine
// stays ready for more. Returns 0, or -1 when no machine is ready.
int ArcadeCoreRunFrames(int frames);
// The first half of a stop: keeps the game's score bytes and asks the core
// to quit. Returns the state the machine was in (ArcadeRunning means the
// run loop may still be inside a frame).
int ArcadeCoreEndRun(void);
// The second half: frees the memory image. Only once the run loop is left.
void ArcadeCoreRelease(void);

// A key of the game: up is 0 for key down, non-zero for key up.
void ArcadeKey(int keyCode, uint8_t up);
void ArcadeSetOptions(int stretch, int showFrameRate, int fullThrottle);

// 0 when the bytes are a whole RIFF WAVE of PCM samples whose chunks all lie
// within size, else -1.
int CheckArcadeWave(const uint8_t *data, size_t size);

// "FPS = n FS = m" for 60 frames in elapsedMs milliseconds.
void FormatArcadeFrameRate(char *out, size_t outSize, uint32_t elapsedMs, int frameSkip);

// Colours are COLORREF values, 0x00BBGGRR.
extern const uint32_t ArcadeBaseColours[16];
extern uint32_t ArcadePalette[ArcadePaletteSize];
void BuildArcadePalette(void);
// The tile set of a code: foreground 0-15, background 16-31.
int ArcadeTileSet(int code, int bank, int background);

// The surface is ArcadeSurfaceWidth x ArcadeSurfaceHeight pixels, top row
// first, each 0x00RRGGBB (a 32-bit top-down DIB).
uint32_t ArcadeSurfacePixel(uint32_t colour);
// Draws both tile sets in both colour banks into their bands, and bank 0's
// once more into the picture band.
void ArcadeDrawTiles(const uint8_t *charRom, uint32_t *surface);
// Takes the background shadow from video RAM as it stands.
void ArcadeTakeBackgroundShadow(void);
// Composes one frame of the running machine in the picture band: changed
// background tiles, the scroll, and the foreground ORed over it.
void ArcadeComposeFrame(uint32_t *surface);
