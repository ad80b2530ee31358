// Helpers of the player's Windows tests: generated sound files and a player
// dialog of the test's own.
#pragma once
#include <windows.h>

#include <string>

#include "player.h"

// A 16-bit stereo 44.1 kHz wave file of the given length (a quiet tone).
bool WriteTestWave(const std::string &path, int milliseconds);
bool WriteBytes(const std::string &path, const std::string &bytes);

// Creates the player dialog from the resources linked into the test.
HWND CreateTestPlayer();
int RowCount(PlayerState *player);
std::string RowText(PlayerState *player, int row);
