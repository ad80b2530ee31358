// What Tunelark.dll exports. The main program links it by import.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Creates the player dialog modeless on the calling thread, shows it and
// returns it, or null. Before destroying it, send it WM_USER (1, 1) so it
// saves its state once.
HWND WINAPI TunelarkRunner(HWND owner);
// The player's dialog procedure, also the procedure of its 50 ms timer.
INT_PTR WINAPI Tunelark(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// For test programs only: where the settings key lives (null: the current
// user's).
void WINAPI TunelarkTestSetRegistryRoot(HKEY root);

#ifdef __cplusplus
}
#endif
