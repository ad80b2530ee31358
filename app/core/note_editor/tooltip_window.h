// The small borderless window that hangs below a note and shows the caret's
// line and column in the note's colours.
#pragma once
#include <windows.h>

struct ZettlyEditState;

void RegisterToolTipClass(HINSTANCE instance);
void UnregisterToolTipClass(HINSTANCE instance);
// A new hidden tooltip for the note whose edit state this is, or null when the
// class is not registered. The editor fills, shows and hides it; the note destroys it.
HWND ShowZettlyToolTip(ZettlyEditState *state);
LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
