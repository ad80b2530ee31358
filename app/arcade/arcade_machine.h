// The arcade machine as the About dialog drives it. There is one machine per
// process; these calls come from the dialog's thread, except ArcadeRun, which
// runs the machine on the thread that calls it.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>

enum {
    ArcadeGameVuvovir = 1,
    ArcadeGameSorvalen = 2
};

// Builds a machine for one game (2 Sorvalen, anything else Vuvovir) that draws
// into screenDc until ArcadeStop. lives and bonus are DIP settings 0..3.
// Returns 0, or -1 with nothing left behind.
int ArcadeInit(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
               int game, uint8_t lives, uint8_t bonus);
// The same from ROM images in memory (16384 program bytes, 8192 character
// bytes), for a machine that does not come from the program's resources.
int ArcadeInitFromImages(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
                         const uint8_t *programRom, size_t programSize, const uint8_t *charRom,
                         size_t charSize, uint8_t lives, uint8_t bonus);
// Runs the machine until ArcadeStop; returns on the calling thread.
void ArcadeRun(void);
// Ends and frees the machine; returns once ArcadeRun has returned.
void ArcadeStop(void);
void ArcadeSetOptions(int stretch, int showFrameRate, int fullThrottle);
// A key of the game: up is 0 for key down, non-zero for key up.
void ArcadeKey(int keyCode, uint8_t up);

// The high-score area of the last game, kept across machines. ArcadeStop
// replaces it only when the game wrote its score area.
extern uint8_t HiScoreTable[12];

// Finds and locks the machine's six sounds; called once at program start.
int LoadArcadeSounds(HINSTANCE instance);
