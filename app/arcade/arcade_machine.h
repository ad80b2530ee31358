// The arcade machine as the About dialog drives it. There is one machine per
// process; these calls come from the dialog's thread, except ArcadeRun, which
// runs the machine on the thread that calls it.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>

// The keys, the options and the high-score table are the portable core's own.
#include "arcade_core.h"
#include "core/arcade_features.h"

// Builds a machine for one game (ArcadeSorvalenGame, anything else Vuvovir)
// that draws into screenDc until ArcadeStop. lives and bonus are DIP settings 0..3.
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
// Ends and frees the machine; returns once ArcadeRun has returned. It
// replaces HiScoreTable only where the game wrote its score area.
void ArcadeStop(void);

