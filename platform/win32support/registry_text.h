// Reading registry strings that may lack a terminator or be of any length.
// Shared by the program and its libraries.
#pragma once
#include <windows.h>

// Reads a REG_SZ or REG_EXPAND_SZ value into out: always terminated, cut
// at the first NUL, a longer value truncated. Returns the registry error code.
LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize);
