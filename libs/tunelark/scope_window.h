// The audio scope window the player opens beside itself.
#pragma once
#include <windows.h>

// Creates the scope dialog modeless, owned by the player, in the given mode
// (0 picks the default); its handle or null.
HWND CreateScopeWindow(HWND player, int mode);
