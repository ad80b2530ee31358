#include "clock_seam.h"

static LocalTimeHook volatile CurrentLocalTimeHook;
static PauseHook volatile CurrentPauseHook;

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
    LocalTimeHook previous = CurrentLocalTimeHook;
    CurrentLocalTimeHook = hook;
    return previous;
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
    PauseHook previous = CurrentPauseHook;
    CurrentPauseHook = hook;
    return previous;
}
