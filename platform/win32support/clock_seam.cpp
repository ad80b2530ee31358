#include "clock_seam.h"

#include <atomic>
#include <ctime>

// The clock a test drives: the moment it reads and the pauses it steps. Read
// from worker threads (an alarm's blink) while a test sets it.
static struct {
    std::atomic<TimeSource> timeSource;
    std::atomic<PauseHook> pauseHook;
} Clock;

void ZtGetLocalTime(SYSTEMTIME *out)
{
    TimeSource source = Clock.timeSource;
    if (source) {
        int64_t ignored;
        source(out, &ignored);
        return;
    }
    GetLocalTime(out);
}

int64_t ZtUniversalNow(void)
{
    TimeSource source = Clock.timeSource;
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
    return Clock.timeSource.exchange(source);
}

void ZtPause(DWORD ms)
{
    PauseHook hook = Clock.pauseHook;
    if (hook)
        hook(ms);
    else
        Sleep(ms);
}

PauseHook SetPauseHook(PauseHook hook)
{
    return Clock.pauseHook.exchange(hook);
}
