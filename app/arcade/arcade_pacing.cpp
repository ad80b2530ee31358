// Frame pacing: a one-shot multimedia timer releases the frame semaphore
// 14 ms after each frame starts waiting. The timer calls back on a thread of
// its own, which may still be inside ArcadeTimerProc when the machine stops.
#include "arcade_platform.h"

#include <atomic>

// The one machine's pacing: its semaphore and the timer callbacks running now.
static struct {
    std::atomic<HANDLE> frameSemaphore;
    std::atomic<LONG> callbacksInside;
} Pacing;

int CreateArcadeFrameSemaphore(void)
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    if (!semaphore)
        return -1;
    Pacing.frameSemaphore.exchange(semaphore);
    return 0;
}

void CloseArcadeFrameSemaphore(void)
{
    HANDLE semaphore = Pacing.frameSemaphore.exchange(nullptr);
    if (!semaphore)
        return;
    // A callback that took the handle before it was cleared releases it
    // before we close it.
    while (Pacing.callbacksInside.load() != 0)
        Sleep(1);
    CloseHandle(semaphore);
}

void CALLBACK ArcadeTimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR unused1, DWORD_PTR unused2)
{
    ++Pacing.callbacksInside;
    HANDLE semaphore = Pacing.frameSemaphore.load();
    if (semaphore)
        ReleaseSemaphore(semaphore, 1, nullptr);
    --Pacing.callbacksInside;
}

void WaitForArcadeFrame(void)
{
    HANDLE semaphore = Pacing.frameSemaphore.load();
    if (!semaphore)
        return;
    MMRESULT timer = timeSetEvent(ArcadeFramePeriodMs, 0, ArcadeTimerProc, 0,
                                  TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    // Without a timer the frame still keeps its pace, roughly, and a timer
    // that never fires cannot hold the machine (or ArcadeStop) for long.
    WaitForSingleObject(semaphore, timer ? ArcadeFrameTimeoutMs : ArcadeFramePeriodMs);
    if (timer)
        timeKillEvent(timer);
}
