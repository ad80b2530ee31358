// Reading registry strings that may lack a terminator or be of any length.
// Every reader of the program's own values goes through here.
#pragma once
#include <windows.h>

// What to do with a text longer than the buffer: cut it to fit, or refuse it
// (ERROR_MORE_DATA) where a cut text would read as something else.
enum RegistryTextFit { REGISTRY_TEXT_CUT, REGISTRY_TEXT_WHOLE };

// Reads a REG_SZ or REG_EXPAND_SZ value into out: always terminated, cut at
// the first NUL. Returns the registry error code; out is empty on any failure.
LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize,
                        RegistryTextFit fit = REGISTRY_TEXT_CUT);
