// Registry strings: reading ones that may lack a terminator or be of any
// length, and writing with one rule for the terminator. Every reader and
// writer of the program's own string values goes through here.
#pragma once
#include <windows.h>

#include <cstddef>

// What to do with a text longer than the buffer: cut it to fit, or refuse it
// (ERROR_MORE_DATA) where a cut text would read as something else.
enum RegistryTextFit { REGISTRY_TEXT_CUT, REGISTRY_TEXT_WHOLE };

// Reads a REG_SZ or REG_EXPAND_SZ value into out: always terminated, cut at
// the first NUL. Returns the registry error code; out is empty on any failure.
LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize,
                        RegistryTextFit fit = REGISTRY_TEXT_CUT);

// The box that tells the user a settings key could not be opened or made.
#define REGISTRY_ERROR_CAPTION "Registry Error"
#define REGISTRY_ERROR_TEXT "Unable to open/create registry key!"

// Opens or creates subKey below the registry root for writing. When it cannot,
// the user is told in the box above if tellUser is set; the result is null.
HKEY CreateSettingsKey(const char *subKey, bool tellUser);

// How a written text ends. The program's values are stored as their text alone
// (REGISTRY_TEXT_BARE); the player's and the scope's have always carried the
// terminator (REGISTRY_TEXT_WITH_NUL), and copies that read them expect it.
enum RegistryTextEnd { REGISTRY_TEXT_BARE, REGISTRY_TEXT_WITH_NUL };

// Writes text as a REG_SZ value: its bytes up to its first NUL, at most
// textLimit - 1 of them (text may come from a buffer that lost its
// terminator), then the terminator where end asks for it. Returns the
// registry error code.
LONG WriteRegistryString(HKEY key, const char *name, const char *text, size_t textLimit,
                         RegistryTextEnd end = REGISTRY_TEXT_BARE);
