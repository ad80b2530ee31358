// The small borderless window that hangs below a note.
#pragma once
#include <windows.h>

void RegisterToolTipClass(HINSTANCE instance);
void UnregisterToolTipClass(HINSTANCE instance);
LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
