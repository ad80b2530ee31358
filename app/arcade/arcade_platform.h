// The arcade machine's Win32 pieces, as they call each other: the off-screen
// surface and renderer, the frame pacing, the sounds and the resources.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <atomic>

// How long ArcadeStop waits for the emulation thread to leave its frame; a
// paced frame takes some 30 ms.
const DWORD ArcadeStopTimeoutMs = 5000;
// The longest a frame waits for its pacing timer before it goes on anyway.
const DWORD ArcadeFrameTimeoutMs = 1000;
const UINT ArcadeFramePeriodMs = 14;

// The surface the machine draws on: a 32-bit top-down DIB section of
// ArcadeSurfaceWidth x ArcadeSurfaceHeight selected into a DC compatible with
// the screen's. Returns 0 or -1.
int CreateArcadeSurface(HDC screenDc, HWND screenWindow);
void ReleaseArcadeSurface(void);
// Decodes the tiles into the surface and shows them on the screen.
void ArcadeDecodeChars(void);
// Composes one frame and copies it to the screen window.
void ArcadeRender(void);
// The surface as the machine drew it, for tests; null without a machine.
HDC ArcadeSurfaceDc(void);

// The one machine's screen and surface, from ArcadeInit to ArcadeStop.
struct ArcadeScreen {
    HDC screenDc;
    HWND screenWindow;
    // Where the screen was when the frames' device context was taken, and the
    // context the renderer took itself after the screen moved or changed size.
    RECT screenPlace;
    HDC renderDc;
    HDC surfaceDc;
    HBITMAP surfaceBitmap;
    HGDIOBJ keptBitmap;
    uint32_t *surfaceBits;
    int fontHeight;
};

// The one machine's pacing, shared with the timer callbacks' thread.
struct ArcadePacing {
    std::atomic<HANDLE> frameSemaphore;
    std::atomic<LONG> callbacksInside; // timer callbacks running now
};

// How the one machine's run ends.
struct ArcadeRunEnd {
    // Set when ArcadeRun leaves the core; manual reset.
    HANDLE runLoopLeft;
    // A stop that gave up waiting for the emulation thread leaves the machine
    // allocated: the thread may still be using it.
    bool stopUnfinished;
};

// The Windows side of the one machine of the process (Arcade is the rest).
struct ArcadeWindowsSide {
    ArcadeScreen screen;
    ArcadePacing pacing;
    ArcadeRunEnd runEnd;
};
extern ArcadeWindowsSide ArcadeWin32;

int CreateArcadeFrameSemaphore(void);
void CloseArcadeFrameSemaphore(void);
void CALLBACK ArcadeTimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR unused1, DWORD_PTR unused2);
// Holds the emulation thread 14 ms from now; the first frame of a machine
// finds the semaphore released and goes on at once.
void WaitForArcadeFrame(void);

void PlayArcadeSound(int waveId);

// A resource of the module, locked in place, and its size in *size; null
// when it is missing or cannot be loaded.
const uint8_t *LockArcadeResource(HMODULE module, int id, const char *type, DWORD *size);
