#include "clock_seam.h"

#include <atomic>
#include <ctime>

// Read from worker threads (an alarm's blink) while a test sets them.
static std::atomic<TimeSource> CurrentTimeSource;
static std::atomic<PauseHook> CurrentPauseHook;

void ZtGetLocalTime(SYSTEMTIME *out)
{
    TimeSource source = CurrentTimeSource;
    if (source) {
        int64_t ignored;
        source(out, &ignored);
        return;
    }
    GetLocalTime(out);
}

int64_t ZtUniversalNow(void)
{
    TimeSource source = CurrentTimeSource;
    if (source) {
        SYSTEMTIME ignored;
        int64_t universal = 0;
        source(&ignored, &universal);
        return universal;
    }
    return _time64(nullptr);
}

TimeSource SetTimeSource(TimeSource source)
{
    return CurrentTimeSource.exchange(source);
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
