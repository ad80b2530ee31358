// The small progress window of a direct save.
#pragma once
#include <windows.h>

// Modeless, owned by owner; null when it cannot be made.
HWND CreateSaveProgress(HWND owner);
// Shows `saved` of `used` notes written.
void ShowSaveProgress(HWND progress, int saved, int used);
INT_PTR CALLBACK SaveProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
