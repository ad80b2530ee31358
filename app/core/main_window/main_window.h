// The hidden main window: owner of the note table's lifetime, timers and tray.
#pragma once
#include <windows.h>

extern HWND MainWindow;
// The quick-pick list while it is open, null otherwise.
extern HWND QuickPickWindow;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
