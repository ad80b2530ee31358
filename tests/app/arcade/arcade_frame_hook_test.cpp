#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "arcade_test_host.h"
#include "z80_machine.h"

namespace {

const std::vector<uint8_t> Idle = {0x18, 0xFE}; // JR $

class ArcadeFrameHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, BuildTestMachine(Idle));
        int expected = ArcadeReady;
        ASSERT_TRUE(Arcade.state.compare_exchange_strong(expected, ArcadeRunning));
    }
    void TearDown() override { EndTestMachine(); }
    uint16_t Hook() { return ArcadeFrameHook(&Arcade.regs); }
};

TEST_F(ArcadeFrameHookTest, RendersEveryFrameSkipthFrameButPacesEveryFrame) {
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(Z80VectorNone, Hook());
    EXPECT_EQ(12, Arcade.frameCounter);
    EXPECT_EQ(12, Host.renders);
    EXPECT_EQ(12, Host.waits);

    for (int i = 0; i < 3; i++)
        ArcadeKey('Q', 1);
    Host.renders = 0;
    std::vector<int> rendered;
    for (int i = 0; i < 12; i++) {
        int before = Host.renders;
        Hook();
        if (Host.renders != before)
            rendered.push_back(Arcade.frameCounter);
    }
    EXPECT_EQ((std::vector<int>{16, 20, 24}), rendered);
    EXPECT_EQ(24, Host.waits);

    // Set from outside the key rule, a skip of 0 or less renders every frame.
    Arcade.frameSkip.store(0);
    Host.renders = 0;
    Hook();
    Hook();
    EXPECT_EQ(2, Host.renders);
}

TEST_F(ArcadeFrameHookTest, FullThrottleNeverWaitsAndPacingResumesAfterIt) {
    ArcadeSetOptions(0, 0, 1);
    for (int i = 0; i < 5; i++)
        Hook();
    EXPECT_EQ(0, Host.waits);
    EXPECT_EQ(5, Host.renders);
    ArcadeSetOptions(0, 0, 0);
    Hook();
    EXPECT_EQ(1, Host.waits);
}

TEST_F(ArcadeFrameHookTest, AStoppedMachineFinishesItsFrameBeforeQuitting) {
    ArcadeCoreEndRun();
    EXPECT_EQ(Z80VectorQuit, Hook());
    EXPECT_EQ(1, Arcade.frameCounter);
    EXPECT_EQ(1, Host.renders);
    EXPECT_EQ(1, Host.waits);
    EXPECT_EQ(0x80, ArcadeReadMem(0x7800) & 0x80);
}

TEST_F(ArcadeFrameHookTest, FrameRateTextEverySixtyFrames) {
    ArcadeSetOptions(0, 1, 0);
    Hook(); // takes the reference time if this is the process's first frame
    while (Arcade.frameCounter % 60 != 59)
        Hook();
    Host.now = 50000;
    Hook(); // a multiple of 60: the reference moves to now
    ArcadeKept.frameRateText[0] = 0;
    for (int i = 0; i < 59; i++) {
        Hook();
        EXPECT_STREQ("", ArcadeKept.frameRateText);
    }
    Host.now = 52000;
    Hook();
    EXPECT_STREQ("FPS = 30 FS = 0", ArcadeKept.frameRateText);

    // Switched off for a while, the next figure spans the whole time since.
    ArcadeSetOptions(0, 0, 0);
    for (int i = 0; i < 60; i++)
        Hook();
    ArcadeSetOptions(0, 1, 0);
    ArcadeKey('Q', 1);
    ArcadeKey('Q', 1);
    ArcadeKey('Q', 1);
    Host.now += 12000;
    for (int i = 0; i < 59; i++)
        Hook();
    EXPECT_STREQ("FPS = 30 FS = 0", ArcadeKept.frameRateText);
    Hook();
    EXPECT_STREQ("FPS = 5 FS = 3", ArcadeKept.frameRateText);

    // Sixty frames within one tick of the clock.
    for (int i = 0; i < 60; i++)
        Hook();
    EXPECT_STREQ("FPS = 60000 FS = 3", ArcadeKept.frameRateText);
}

TEST(ArcadeFrameRate, FormatsEveryElapsedTimeWithoutFailing) {
    char text[32];
    struct Case { uint32_t ms; int skip; const char *expected; } cases[] = {
        {1000, 1, "FPS = 60 FS = 0"}, {0, 1, "FPS = 60000 FS = 0"}, {1, 2, "FPS = 60000 FS = 1"},
        {857, 5, "FPS = 70 FS = 4"}, {60001, 1, "FPS = 0 FS = 0"},
        {4294967295u, 2147483647, "FPS = 0 FS = 2147483646"}};
    for (const Case &c : cases) {
        FormatArcadeFrameRate(text, sizeof text, c.ms, c.skip);
        EXPECT_STREQ(c.expected, text);
    }
}

TEST(ArcadeRun, RunsAProgramForFramesAndStopsWhenAsked) {
    // LD HL,0x4000; loop: INC (HL); JR loop: counts in video RAM.
    ASSERT_EQ(0, BuildTestMachine({0x21, 0x00, 0x40, 0x34, 0x18, 0xFD}));
    ASSERT_EQ(0, ArcadeCoreRunFrames(3));
    EXPECT_EQ(3, Arcade.frameCounter);
    EXPECT_EQ(3, Host.renders);
    uint8_t after3 = ArcadeReadMem(0x4000);
    EXPECT_NE(0, after3);
    ASSERT_EQ(0, ArcadeCoreRunFrames(1));
    EXPECT_EQ(4, Arcade.frameCounter);
    EXPECT_NE(after3, ArcadeReadMem(0x4000));

    EXPECT_EQ(ArcadeReady, ArcadeCoreEndRun());
    EXPECT_EQ(-1, ArcadeCoreRun()) << "a stopped machine does not start";
    EXPECT_EQ(-1, ArcadeCoreRunFrames(1));
    ArcadeCoreRelease();
    EXPECT_EQ(-1, ArcadeCoreRun());
}

TEST(ArcadeRun, AHaltedGameStillGetsItsFrames) {
    ASSERT_EQ(0, BuildTestMachine({0x76})); // HALT
    ASSERT_EQ(0, ArcadeCoreRunFrames(5));
    EXPECT_EQ(5, Host.renders);
    EXPECT_EQ(0, Arcade.regs.PC);
    EndTestMachine();
}

} // namespace
