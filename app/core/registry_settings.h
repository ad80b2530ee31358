// "Zettly Info" and the three sound paths under software\Kestrova.
#pragma once
#include <windows.h>

LONG LoadSettings(int *playerOpen, int *clockOpen, int *changerOpen, int *meterOpen);
void SaveSettings(int playerOpen, int clockOpen, int changerOpen, int meterOpen);

// Reads a string value into a bounded buffer: always terminated, a longer
// value is truncated. Returns the registry error code.
LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize);
