// The hidden main window: owner of the note table's lifetime, timers and tray.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the keyboard shortcut hook is in; turning it on or off keeps
// setting 19 in step. Installing twice keeps the one hook.
BOOL KeyboardHookActive(void);
void SetKeyboardHook(BOOL on);
