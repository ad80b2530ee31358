#include "clock_seam.h"

#include <atomic>

// Read from worker threads (an alarm's blink) while a test sets them.
static std::atomic<LocalTimeHook> CurrentLocalTimeHook;
static std::atomic<PauseHook> CurrentPauseHook;

void ZtGetLocalTime(SYSTEMTIME *out)
{
    LocalTimeHook hook = CurrentLocalTimeHook;
    if (hook)
        hook(out);
    else
        GetLocalTime(out);
}

LocalTimeHook SetLocalTimeHook(LocalTimeHook hook)
{
    return CurrentLocalTimeHook.exchange(hook);
}

void ZtPause(DWORD ms)
{
    PauseHook hook = CurrentPauseHook;
    if (hook)
        hook(ms);
    else
        Sleep(ms);
}

PauseHook SetPauseHook(PauseHook hook)
{
    return CurrentPauseHook.exchange(hook);
}
