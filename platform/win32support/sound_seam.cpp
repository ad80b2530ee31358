#include "sound_seam.h"

#include <mmsystem.h>

#include <atomic>

// Read by the alarm sound thread while a test sets it.
static std::atomic<PlaySoundHook> CurrentPlaySoundHook;

BOOL ZtPlaySound(const char *sound, DWORD flags)
{
    PlaySoundHook hook = CurrentPlaySoundHook;
    if (hook)
        return hook(sound, flags);
    return PlaySoundA(sound, nullptr, flags);
}

PlaySoundHook SetPlaySoundHook(PlaySoundHook hook)
{
    return CurrentPlaySoundHook.exchange(hook);
}
