#include <string.h>

#include "arcade_core.h"
#include "arcade_machine.h"
#include "arcade_platform.h"
#include "arcade_reference_picture.h"
#include "arcade_window_fixture.h"
#include "z80_machine.h"

namespace {

DWORD WINAPI EmulationThread(void *) {
    ArcadeRun();
    return 0;
}

class ArcadeMachineWindows : public ArcadeWindow {
protected:
    HANDLE thread = nullptr;
    void StartThread() {
        thread = CreateThread(nullptr, 0, EmulationThread, nullptr, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    bool ThreadEnded(DWORD timeoutMs) { return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0; }
    void TearDown() override {
        ArcadeWindow::TearDown();
        if (thread) {
            EXPECT_TRUE(ThreadEnded(5000));
            CloseHandle(thread);
        }
    }
};

TEST_F(ArcadeMachineWindows, ShortOrMissingImagesLeaveNoMachine) {
    for (int i = 0; i < 12; i++)
        HiScoreTable[i] = (uint8_t)(i + 1);
    // This program's Sorvalen images: a 100-byte program, no character set.
    EXPECT_EQ(-1, ArcadeInit(dc, window, 0, 0, 2, 0, 0));
    EXPECT_EQ(nullptr, ArcadeSurfaceDc());
    ArcadeStop();
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(i + 1, HiScoreTable[i]);

    for (int game : {0, 1, 3, 255}) {
        ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, game, 0, 0)) << game;
        EXPECT_EQ(0x21, ArcadeReadMem(0x0000)) << "Vuvovir's program for game " << game;
        EXPECT_EQ(0xFF, ArcadeReadMem(0x7000));
        ArcadeStop();
        EXPECT_EQ(nullptr, ArcadeSurfaceDc());
    }
}

TEST_F(ArcadeMachineWindows, RunsPacedOnItsThreadAndStopWaitsForIt) {
    std::vector<uint8_t> chars = ResourceImage(106);
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    StartThread();
    Sleep(700);
    int frames = Arcade.frameCounter;
    EXPECT_GT(frames, 5);
    EXPECT_LE(frames, 700 / 14 + 3) << "each frame waits 14 ms";
    int seen = ArcadeReadMem(0x4100);
    EXPECT_GT(seen, 0) << "the game saw vertical blanks";

    // The program put tile 0x41 at the top right of the foreground.
    std::vector<uint32_t> picture = ReadSurfacePicture();
    for (int sy = 0; sy < 8; sy++)
        for (int sx = 0; sx < 8; sx++)
            ASSERT_EQ(ReferenceColour(0x41, 0, 0, ReferenceTileValue(chars.data(), 0, 0x41, sx, sy)),
                      picture[sy * 208 + 200 + sx]);

    DWORD before = GetTickCount();
    ArcadeStop();
    EXPECT_LT(GetTickCount() - before, 1000u);
    EXPECT_TRUE(ThreadEnded(1000)) << "ArcadeRun returned before the machine was freed";
    EXPECT_EQ(nullptr, ArcadeSurfaceDc());
}

TEST_F(ArcadeMachineWindows, FullThrottleOutrunsThePacing) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    ArcadeSetOptions(0, 0, 1);
    StartThread();
    Sleep(500);
    EXPECT_GT(Arcade.frameCounter, 500 / 14 + 3);
    ArcadeSetOptions(0, 0, 0);
    Sleep(100);
    int paced = Arcade.frameCounter;
    Sleep(300);
    EXPECT_LE(Arcade.frameCounter - paced, 300 / 14 + 3);
    ArcadeStop();
    EXPECT_TRUE(ThreadEnded(1000));
}

TEST_F(ArcadeMachineWindows, AMachineStoppedBeforeItsThreadStartsIsNeverRun) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    DWORD before = GetTickCount();
    ArcadeStop();
    EXPECT_LT(GetTickCount() - before, 500u) << "nothing to wait for";
    StartThread();
    EXPECT_TRUE(ThreadEnded(1000));
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0)) << "and a new machine can follow";
}

HANDLE frameHeld;

void HeldRender() {
    WaitForSingleObject(frameHeld, INFINITE);
}

TEST_F(ArcadeMachineWindows, AStopThatCannotWaitFreesNothingUntilTheThreadLeaves) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    frameHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ArcadeHost.renderFrame = HeldRender;
    StartThread();
    Sleep(100);
    ArcadeStop();
    EXPECT_FALSE(ThreadEnded(0));
    EXPECT_NE(nullptr, Arcade.memory) << "the thread still runs on it";
    EXPECT_NE(nullptr, ArcadeSurfaceDc());
    EXPECT_EQ(-1, ArcadeInit(dc, window, 0, 0, 1, 0, 0));

    SetEvent(frameHeld);
    EXPECT_TRUE(ThreadEnded(2000));
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0)) << "the late stop is finished first";
    ArcadeStop();
    EXPECT_EQ(nullptr, Arcade.memory);
    CloseHandle(frameHeld);
}

TEST_F(ArcadeMachineWindows, TheTimerCallbackOutlivesTheSemaphore) {
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    ArcadeStop();
    // A late timer firing after the stop finds nothing to release.
    ArcadeTimerProc(0, 0, 0, 0, 0);
    DWORD before = GetTickCount();
    WaitForArcadeFrame();
    EXPECT_LT(GetTickCount() - before, 100u);
}

TEST_F(ArcadeMachineWindows, SoundsAreCheckedWhenFoundAndPlayedByTheLatches) {
    // This program's sound 113 claims more bytes than it holds.
    EXPECT_EQ(-1, LoadArcadeSounds(GetModuleHandleA(nullptr)));
    ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
    EXPECT_EQ(&PlayArcadeSound, ArcadeHost.startSound);
    ArcadeWriteMem(0x6800, 0x02); // the damaged one: nothing plays
    ArcadeWriteMem(0x6000, 0x50);
    ArcadeWriteMem(0x6000, 0x8F);
}

} // namespace
