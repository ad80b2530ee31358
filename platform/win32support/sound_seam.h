// Every wave sound of the program goes through here, so tests hear what would
// be played and when it is stopped.
#pragma once
#include <windows.h>

typedef BOOL (*PlaySoundHook)(const char *sound, DWORD flags);

// PlaySoundA with no module; a null sound stops what plays.
BOOL ZtPlaySound(const char *sound, DWORD flags);
// Replaces the player; null restores the real one. Returns the previous hook.
PlaySoundHook SetPlaySoundHook(PlaySoundHook hook);
