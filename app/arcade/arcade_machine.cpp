// The arcade machine's life on Windows: its ROM images from the program's
// resources, its surface, its pacing semaphore, and a stop that waits for the
// emulation thread before anything it uses is freed.
#include "arcade_machine.h"

#include "arcade_core.h"
#include "arcade_platform.h"

// How the one machine's run ends, for the process.
static struct {
    // Set when ArcadeRun leaves the core; manual reset.
    HANDLE runLoopLeft;
    // A stop that gave up waiting for the emulation thread leaves the machine
    // allocated: the thread may still be using it.
    bool stopUnfinished;
} RunEnd;

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
    RunEnd.stopUnfinished = false;
}

static bool RunLoopLeft(DWORD timeoutMs)
{
    return RunEnd.runLoopLeft && WaitForSingleObject(RunEnd.runLoopLeft, timeoutMs) == WAIT_OBJECT_0;
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
    if (RunEnd.stopUnfinished) {
        if (!RunLoopLeft(0))
            return -1;
        FinishStop();
    }
    if (!RunEnd.runLoopLeft) {
        RunEnd.runLoopLeft = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!RunEnd.runLoopLeft)
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
    ResetEvent(RunEnd.runLoopLeft);
    ArcadeHost.startSound = PlayArcadeSound;
    ArcadeHost.renderFrame = ArcadeRender;
    ArcadeHost.waitForFrame = WaitForArcadeFrame;
    ArcadeHost.tickCount = ReadTickCount;
    ArcadeDecodeChars();
    return 0;
}

void ArcadeRun(void)
{
    if (ArcadeCoreRun() == 0)
        SetEvent(RunEnd.runLoopLeft);
}

void ArcadeStop(void)
{
    if (RunEnd.stopUnfinished) {
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
        RunEnd.stopUnfinished = true;
        return;
    }
    FinishStop();
}
