#include "sound_seam.h"

#include <mmsystem.h>

static PlaySoundHook volatile CurrentPlaySoundHook;

BOOL ZtPlaySound(const char *sound, DWORD flags)
{
    PlaySoundHook hook = CurrentPlaySoundHook;
    if (hook)
        return hook(sound, flags);
    return PlaySoundA(sound, nullptr, flags);
}

PlaySoundHook SetPlaySoundHook(PlaySoundHook hook)
{
    PlaySoundHook previous = CurrentPlaySoundHook;
    CurrentPlaySoundHook = hook;
    return previous;
}
