// Group windows: notes gathered inside one scrolling window.
#pragma once
#include <windows.h>

void RegisterGroupClass(HINSTANCE instance);
void UnregisterGroupClass(HINSTANCE instance);
LRESULT CALLBACK GroupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sets the group's scroll ranges to cover all of its member notes.
void LayoutGroupScrollBars(int groupSlot);
