// The arcade machine's life on Windows: its ROM images from the program's
// resources, its surface, its pacing semaphore, and a stop that waits for the
// emulation thread before anything it uses is freed.
#include "arcade_machine.h"

#include "arcade_core.h"
#include "arcade_platform.h"

ArcadeWindowsSide ArcadeWin32;

static uint32_t ReadTickCount(void)
{
    return GetTickCount();
}

const uint8_t *LockArcadeResource(HMODULE module, int id, const char *type, DWORD *size)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return nullptr;
    *size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    return loaded ? (const uint8_t *)LockResource(loaded) : nullptr;
}

static int FindRomImage(int id, DWORD neededSize, const uint8_t **image, DWORD *size)
{
    *image = LockArcadeResource(GetModuleHandleA(nullptr), id, ARCADE_ROM_TYPE, size);
    return *image && *size >= neededSize ? 0 : -1;
}

static void FinishStop(void)
{
    ArcadeCoreRelease();
    ReleaseArcadeSurface();
    CloseArcadeFrameSemaphore();
    ArcadeWin32.runEnd.stopUnfinished = false;
}

static bool RunLoopLeft(DWORD timeoutMs)
{
    HANDLE left = ArcadeWin32.runEnd.runLoopLeft;
    return left && WaitForSingleObject(left, timeoutMs) == WAIT_OBJECT_0;
}

int ArcadeInit(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
               int game, uint8_t lives, uint8_t bonus)
{
    bool sorvalen = game == ArcadeSorvalenGame;
    const uint8_t *program, *chars;
    DWORD programSize, charSize;
    if (FindRomImage(sorvalen ? ArcadeSorvalenProgramRom : ArcadeVuvovirProgramRom, ArcadeProgramRomSize,
                     &program, &programSize) != 0 ||
        FindRomImage(sorvalen ? ArcadeSorvalenCharRom : ArcadeVuvovirCharRom, ArcadeCharRomSize, &chars,
                     &charSize) != 0)
        return -1;
    return ArcadeInitFromImages(screenDc, screenWindow, stretch, showFrameRate, program, programSize, chars,
                                charSize, lives, bonus);
}

int ArcadeInitFromImages(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
                         const uint8_t *programRom, size_t programSize, const uint8_t *charRom,
                         size_t charSize, uint8_t lives, uint8_t bonus)
{
    if (ArcadeWin32.runEnd.stopUnfinished) {
        if (!RunLoopLeft(0))
            return -1;
        FinishStop();
    }
    if (!ArcadeWin32.runEnd.runLoopLeft) {
        ArcadeWin32.runEnd.runLoopLeft = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!ArcadeWin32.runEnd.runLoopLeft)
            return -1;
    }
    ArcadeSetup setup = {stretch, showFrameRate, lives, bonus};
    if (ArcadeCoreInit(programRom, programSize, charRom, charSize, setup) != 0)
        return -1;
    // FinishStop lets go of whatever of the three was made.
    if (CreateArcadeFrameSemaphore() != 0 || CreateArcadeSurface(screenDc, screenWindow) != 0) {
        FinishStop();
        return -1;
    }
    ResetEvent(ArcadeWin32.runEnd.runLoopLeft);
    Arcade.host.startSound = PlayArcadeSound;
    Arcade.host.renderFrame = ArcadeRender;
    Arcade.host.waitForFrame = WaitForArcadeFrame;
    Arcade.host.tickCount = ReadTickCount;
    ArcadeDecodeChars();
    return 0;
}

void ArcadeRun(void)
{
    if (ArcadeCoreRun() == 0)
        SetEvent(ArcadeWin32.runEnd.runLoopLeft);
}

void ArcadeStop(void)
{
    if (ArcadeWin32.runEnd.stopUnfinished) {
        if (RunLoopLeft(ArcadeStopTimeoutMs))
            FinishStop();
        return;
    }
    int previous = ArcadeCoreEndRun();
    if (previous == ArcadeNoMachine)
        return;
    // The hook sees the stop at the end of the frame in progress; until the
    // thread has left the core it still reads memory and draws.
    if (previous == ArcadeRunning && !RunLoopLeft(ArcadeStopTimeoutMs)) {
        OutputDebugStringA("ArcadeStop: the emulation thread did not leave its frame\n");
        ArcadeWin32.runEnd.stopUnfinished = true;
        return;
    }
    FinishStop();
}
