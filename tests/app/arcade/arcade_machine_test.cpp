#include <string.h>

#include <atomic>

#include "arcade_core.h"
#include "arcade_machine.h"
#include "arcade_platform.h"
#include "arcade_reference_picture.h"
#include "arcade_window_fixture.h"
#include "test_support.h"
#include "z80_machine.h"

namespace {

DWORD WINAPI EmulationThread(void *) {
    ArcadeRun();
    return 0;
}

// The machine's pacing seam, held by the test: each frame reports at its wait
// and stays there until the test lets it go, so the test steps the emulation
// thread frame by frame instead of guessing how far it got in a given time.
struct PacingGate {
    HANDLE atWait = nullptr;   // auto-reset: a frame has come to its wait
    HANDLE letGo = nullptr;    // one count per frame let through
    std::atomic<int> waits{0};
    std::atomic<bool> open{false};
};
PacingGate Gate;

void GatedFrameWait() {
    Gate.waits++;
    if (Gate.open.load())
        return;
    SetEvent(Gate.atWait);
    WaitForSingleObject(Gate.letGo, INFINITE);
}

// Counts the frames drawn and says when the count reaches renderTarget.
std::atomic<int> Renders, RenderTarget;
HANDLE RendersReached;

void CountedRender() {
    if (++Renders == RenderTarget.load())
        SetEvent(RendersReached);
}

class ArcadeMachineWindows : public ArcadeWindow {
protected:
    HANDLE thread = nullptr;
    void SetUp() override {
        ArcadeWindow::SetUp();
        Gate.atWait = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        Gate.letGo = CreateSemaphoreA(nullptr, 0, 1 << 20, nullptr);
        Gate.waits = 0;
        Gate.open = false;
        Renders = 0;
        RenderTarget = -1;
        RendersReached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    void StartThread() {
        thread = CreateThread(nullptr, 0, EmulationThread, nullptr, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    bool ThreadEnded(DWORD timeoutMs) { return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0; }
    // Puts the machine's frames through the gate, with or without drawing.
    void GateTheFrames(bool countRenders) {
        Arcade.host.waitForFrame = GatedFrameWait;
        if (countRenders)
            Arcade.host.renderFrame = CountedRender;
    }
    bool FrameAtItsWait() { return WaitForSingleObject(Gate.atWait, ScaledWait(10000)) == WAIT_OBJECT_0; }
    void LetOneFrameGo() { ReleaseSemaphore(Gate.letGo, 1, nullptr); }
    bool NextFrameAtItsWait() {
        LetOneFrameGo();
        return FrameAtItsWait();
    }
    // From here on no frame waits: the one held goes on, and so do the rest.
    void OpenTheGate() {
        Gate.open = true;
        LetOneFrameGo();
    }
    void TearDown() override {
        OpenTheGate();
        ArcadeWindow::TearDown();
        if (thread) {
            EXPECT_TRUE(ThreadEnded(5000));
            CloseHandle(thread);
        }
        CloseHandle(Gate.atWait);
        CloseHandle(Gate.letGo);
        CloseHandle(RendersReached);
    }
};

TEST_F(ArcadeMachineWindows, ShortOrMissingImagesLeaveNoMachine) {
    for (int i = 0; i < 12; i++)
        ArcadeKept.HiScoreTable[i] = (uint8_t)(i + 1);
    // This program's Sorvalen images: a 100-byte program, no character set.
    EXPECT_EQ(-1, ArcadeInit(dc, window, 0, 0, 2, 0, 0));
    EXPECT_EQ(nullptr, ArcadeSurfaceDc());
    ArcadeStop();
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(i + 1, ArcadeKept.HiScoreTable[i]);

    for (int game : {0, 1, 3, 255}) {
        ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, game, 0, 0)) << game;
        EXPECT_EQ(0x21, ArcadeReadMem(0x0000)) << "Vuvovir's program for game " << game;
        EXPECT_EQ(0xFF, ArcadeReadMem(0x7000));
        ArcadeStop();
        EXPECT_EQ(nullptr, ArcadeSurfaceDc());
    }
}

TEST_F(ArcadeMachineWindows, RunsOnItsThreadOneWaitPerFrameAndStopWaitsForIt) {
    std::vector<uint8_t> chars = ResourceImage(106);
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    GateTheFrames(false);
    StartThread();
    ASSERT_TRUE(FrameAtItsWait()) << "the thread ran no frame";
    const int frames = 30;
    for (int frame = 1; frame < frames; frame++)
        ASSERT_TRUE(NextFrameAtItsWait()) << "frame " << frame + 1;
    // Held at its wait, the thread touches nothing while the test reads.
    EXPECT_EQ(frames, Arcade.frameCounter) << "each frame waits once for its pace";
    EXPECT_EQ(frames, Gate.waits.load());
    EXPECT_GT(ArcadeReadMem(0x4100), 0) << "the game saw vertical blanks";

    // The program put tile 0x41 at the top right of the foreground.
    std::vector<uint32_t> picture = ReadSurfacePicture();
    for (int sy = 0; sy < 8; sy++)
        for (int sx = 0; sx < 8; sx++)
            ASSERT_EQ(ReferenceColour(0x41, 0, 0, ReferenceTileValue(chars.data(), 0, 0x41, sx, sy)),
                      picture[sy * 208 + 200 + sx]);

    OpenTheGate();
    ArcadeStop();
    // A stop that gave up on the thread would have left the machine behind.
    EXPECT_EQ(nullptr, Arcade.memory) << "the stop ended with the thread out of its frame";
    EXPECT_EQ(nullptr, ArcadeSurfaceDc());
    EXPECT_TRUE(ThreadEnded(ScaledWait(2000))) << "ArcadeRun returned";
}

// The one case that measures the real pacing: it holds each frame for the
// timer's period, and the timer, not the fallback timeout, lets it go. Only
// a lower bound is tight; a loaded machine only makes frames slower.
TEST_F(ArcadeMachineWindows, EachPacedFrameWaitsForItsTimer) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    const int frames = 10;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    ASSERT_EQ(0, ArcadeCoreRunFrames(frames));
    QueryPerformanceCounter(&after);
    double elapsedMs = (double)(after.QuadPart - before.QuadPart) * 1000.0 / (double)frequency.QuadPart;
    EXPECT_EQ(frames, Arcade.frameCounter);
    // The first frame finds the pacing free; each later one waits a period.
    EXPECT_GE(elapsedMs, (frames - 1) * (ArcadeFramePeriodMs - 4.0));
    EXPECT_LT(elapsedMs, (frames - 1) * ArcadeFrameTimeoutMs / 2.0) << "frames went on at the fallback";
}

TEST_F(ArcadeMachineWindows, FullThrottleSetFromAnotherThreadSkipsTheWaitsUntilCleared) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    GateTheFrames(true);
    StartThread();
    ASSERT_TRUE(FrameAtItsWait());
    ArcadeSetOptions(0, 0, 1);
    int waits = Gate.waits.load();
    RenderTarget = Renders.load() + 50;
    LetOneFrameGo();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(RendersReached, ScaledWait(10000)))
        << "full throttle ran into the held pacing";
    EXPECT_EQ(waits, Gate.waits.load()) << "no frame waited at full throttle";

    ArcadeSetOptions(0, 0, 0);
    EXPECT_TRUE(FrameAtItsWait()) << "the pacing came back with the option cleared";
}

TEST_F(ArcadeMachineWindows, AMachineStoppedBeforeItsThreadStartsIsNeverRun) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    GateTheFrames(true);
    ArcadeStop();
    // Had it waited for a run that never started, it would have given up and
    // kept the machine.
    EXPECT_EQ(nullptr, Arcade.memory) << "nothing to wait for";
    StartThread();
    EXPECT_TRUE(ThreadEnded(ScaledWait(2000)));
    EXPECT_EQ(0, Gate.waits.load());
    EXPECT_EQ(0, Renders.load());
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0)) << "and a new machine can follow";
}

HANDLE frameHeld, renderEntered;

void HeldRender() {
    SetEvent(renderEntered);
    WaitForSingleObject(frameHeld, INFINITE);
}

TEST_F(ArcadeMachineWindows, AStopThatCannotWaitFreesNothingUntilTheThreadLeaves) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    frameHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    renderEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Arcade.host.renderFrame = HeldRender;
    StartThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(renderEntered, ScaledWait(10000)));
    ArcadeStop();
    EXPECT_FALSE(ThreadEnded(0));
    EXPECT_NE(nullptr, Arcade.memory) << "the thread still runs on it";
    EXPECT_NE(nullptr, ArcadeSurfaceDc());
    EXPECT_EQ(-1, ArcadeInit(dc, window, 0, 0, 1, 0, 0));

    SetEvent(frameHeld);
    EXPECT_TRUE(ThreadEnded(ScaledWait(2000)));
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0)) << "the late stop is finished first";
    ArcadeStop();
    EXPECT_EQ(nullptr, Arcade.memory);
    CloseHandle(frameHeld);
    CloseHandle(renderEntered);
}

TEST_F(ArcadeMachineWindows, TheTimerCallbackOutlivesTheSemaphore) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    ArcadeStop();
    // A late timer firing after the stop finds nothing to release.
    ArcadeTimerProc(0, 0, 0, 0, 0);
    DWORD before = GetTickCount();
    WaitForArcadeFrame();
    EXPECT_LT(GetTickCount() - before, ArcadeFrameTimeoutMs) << "a wait after the stop holds nobody";
}

TEST_F(ArcadeMachineWindows, SoundsAreCheckedWhenFoundAndPlayedByTheLatches) {
    // This program's sound 113 claims more bytes than it holds.
    EXPECT_EQ(-1, LoadArcadeSounds(GetModuleHandleA(nullptr)));
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    EXPECT_EQ(&PlayArcadeSound, Arcade.host.startSound);
    ArcadeWriteMem(0x6800, 0x02); // the damaged one: nothing plays
    ArcadeWriteMem(0x6000, 0x50);
    ArcadeWriteMem(0x6000, 0x8F);
}

} // namespace
