// Frame pacing: a one-shot multimedia timer releases the frame semaphore
// 14 ms after each frame starts waiting. The timer calls back on a thread of
// its own, which may still be inside ArcadeTimerProc when the machine stops.
#include "arcade_platform.h"

int CreateArcadeFrameSemaphore(void)
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    if (!semaphore)
        return -1;
    ArcadeWin32.pacing.frameSemaphore.exchange(semaphore);
    return 0;
}

void CloseArcadeFrameSemaphore(void)
{
    HANDLE semaphore = ArcadeWin32.pacing.frameSemaphore.exchange(nullptr);
    if (!semaphore)
        return;
    // A callback that took the handle before it was cleared releases it
    // before we close it.
    while (ArcadeWin32.pacing.callbacksInside.load() != 0)
        Sleep(1);
    CloseHandle(semaphore);
}

void CALLBACK ArcadeTimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR unused1, DWORD_PTR unused2)
{
    ++ArcadeWin32.pacing.callbacksInside;
    HANDLE semaphore = ArcadeWin32.pacing.frameSemaphore.load();
    if (semaphore)
        ReleaseSemaphore(semaphore, 1, nullptr);
    --ArcadeWin32.pacing.callbacksInside;
}

void WaitForArcadeFrame(void)
{
    HANDLE semaphore = ArcadeWin32.pacing.frameSemaphore.load();
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
