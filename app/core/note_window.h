// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
