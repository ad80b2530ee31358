// The hidden main window: owner of the note table's lifetime, timers and tray.
#pragma once
#include <windows.h>

extern HWND MainWindow;
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
