#include <gtest/gtest.h>
#include <string.h>

#include "arcade_test_host.h"
#include "z80_machine.h"

namespace {

const std::vector<uint8_t> Idle = {0x18, 0xFE}; // JR $

class ArcadeMachineCore : public ::testing::Test {
protected:
    void SetUp() override {
        memset(ArcadeKept.HiScoreTable, 0, sizeof ArcadeKept.HiScoreTable);
        ArcadeKept.videoRegisterValue = 0;
        ASSERT_EQ(0, BuildTestMachine(Idle));
    }
    void TearDown() override { EndTestMachine(); }
};

TEST_F(ArcadeMachineCore, RomIsReadOnlyAndRamAboveItIsStored) {
    std::vector<uint8_t> rom = ProgramRom({0x11, 0x22, 0x33});
    rom[0x3FFF] = 0x99;
    ArcadeSetup setup = {};
    EndTestMachine();
    std::vector<uint8_t> chars = PatternCharRom(2);
    ASSERT_EQ(0, ArcadeCoreInit(rom.data(), rom.size(), chars.data(), chars.size(), setup));
    ArcadeWriteMem(0x0001, 0x55);
    ArcadeWriteMem(0x3FFF, 0x00);
    EXPECT_EQ(0x22, ArcadeReadMem(0x0001));
    EXPECT_EQ(0x99, ArcadeReadMem(0x3FFF));
    EXPECT_EQ(0, memcmp(Arcade.charRom, chars.data(), ArcadeCharRomSize));
    for (uint16_t address : {0x4000, 0x4123, 0x8000, 0xC000, 0xFFFF}) {
        ArcadeWriteMem(address, 0xA5);
        EXPECT_EQ(0xA5, ArcadeReadMem(address)) << std::hex << address;
    }
}

TEST_F(ArcadeMachineCore, RefusesShortOrMissingImagesAndASecondMachine) {
    EndTestMachine();
    std::vector<uint8_t> rom = ProgramRom(Idle), chars = PatternCharRom(1);
    ArcadeSetup setup = {};
    EXPECT_EQ(-1, ArcadeCoreInit(rom.data(), rom.size() - 1, chars.data(), chars.size(), setup));
    EXPECT_EQ(-1, ArcadeCoreInit(rom.data(), rom.size(), chars.data(), chars.size() - 1, setup));
    EXPECT_EQ(-1, ArcadeCoreInit(nullptr, rom.size(), chars.data(), chars.size(), setup));
    EXPECT_EQ(nullptr, Arcade.memory);
    ASSERT_EQ(0, ArcadeCoreInit(rom.data(), rom.size(), chars.data(), chars.size(), setup));
    uint8_t *first = Arcade.memory;
    EXPECT_EQ(-1, ArcadeCoreInit(rom.data(), rom.size(), chars.data(), chars.size(), setup));
    EXPECT_EQ(first, Arcade.memory);
}

TEST_F(ArcadeMachineCore, VideoAndScrollRegistersKeepTheirState) {
    EXPECT_EQ(1, Arcade.backgroundDirty);
    Arcade.backgroundDirty = 0;
    ArcadeWriteMem(0x5BFF, 0x7B);
    EXPECT_EQ(0x7B, Arcade.scrollValue);
    ArcadeWriteMem(0x5000, 0x0F);
    EXPECT_EQ(1, Arcade.characterBank);
    EXPECT_EQ(0x0C, ArcadeKept.videoRegisterValue);
    ArcadeWriteMem(0x53FF, 0x32);
    EXPECT_EQ(0, Arcade.characterBank);
    EXPECT_EQ(0x30, ArcadeKept.videoRegisterValue);
    EXPECT_EQ(0x32, ArcadeReadMem(0x53FF));
    EXPECT_EQ(0, Arcade.backgroundDirty);
    ArcadeWriteMem(0x4BFF, 0);
    EXPECT_EQ(1, Arcade.backgroundDirty);

    // The video register value outlives the machine.
    ASSERT_EQ(0, BuildTestMachine(Idle));
    EXPECT_EQ(0x30, ArcadeKept.videoRegisterValue);
    EXPECT_EQ(0, Arcade.characterBank);
    EXPECT_EQ(0, Arcade.scrollValue);
}

TEST_F(ArcadeMachineCore, DipPortGivesLivesBonusAndOneVerticalBlank) {
    struct Case { uint8_t lives, bonus, expected; } cases[] = {
        {0, 0, 0x00}, {1, 0, 0x01}, {0, 1, 0x04}, {2, 3, 0x0E}, {3, 3, 0x0F}};
    for (const Case &c : cases) {
        ASSERT_EQ(0, BuildTestMachine(Idle, c.lives, c.bonus));
        EXPECT_EQ(c.expected, ArcadeReadMem(0x7800));
        ArcadeFrameHook(&Arcade.regs);
        EXPECT_EQ(c.expected | 0x80, ArcadeReadMem(0x7BFF));
        EXPECT_EQ(c.expected, ArcadeReadMem(0x7800)) << "the blank bit is cleared by its read";
    }
    // A write to the DIP port is never read back.
    ArcadeWriteMem(0x7800, 0x55);
    EXPECT_EQ(0x0F, ArcadeReadMem(0x7800));
}

TEST_F(ArcadeMachineCore, InputPortReadsTheInputByteWithBit3ForcedInTwoVideoStates) {
    EXPECT_EQ(0xFF, ArcadeReadMem(0x7000));
    ArcadeWriteMem(0x7000, 0x00);
    EXPECT_EQ(0x00, ArcadeReadMem(0x7000));
    EXPECT_EQ(0x00, ArcadeReadMem(0x73FF));
    struct Case { uint8_t videoWrite, expected; } cases[] = {
        {0x0C, 0x08}, {0x0D, 0x08}, {0x30, 0x08}, {0x33, 0x08}, {0x00, 0x00}, {0x3C, 0x00}, {0x10, 0x00}};
    for (const Case &c : cases) {
        ArcadeWriteMem(0x5000, c.videoWrite);
        EXPECT_EQ(c.expected, ArcadeReadMem(0x7000)) << std::hex << (int)c.videoWrite;
    }
    EXPECT_EQ(0x00, Arcade.memory[0x7000]) << "forcing the bit leaves the input byte alone";
}

TEST_F(ArcadeMachineCore, SoundLatchesStartTheirSoundsOnlyOnAChange) {
    struct Case { uint16_t latch; uint8_t value; bool fireHeld; int sound; } cases[] = {
        {0x6000, 0x8F, false, 112}, {0x63FF, 0x8F, true, 112},
        {0x6000, 0x4F, true, 114},  {0x6000, 0x4F, false, 0},
        {0x6000, 0x66, true, 114},  {0x6000, 0x6A, true, 114}, {0x6000, 0x6B, true, 0},
        {0x6000, 0x65, true, 0},    {0x6000, 0x68, false, 0},
        {0x6000, 0x0C, false, 128}, {0x6000, 0x50, true, 111}, {0x6000, 0x02, false, 0},
        {0x6800, 0x0C, false, 115}, {0x6BFF, 0x02, true, 113}, {0x6800, 0x8F, false, 0},
        {0x6800, 0x50, false, 0},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, BuildTestMachine(Idle));
        ArcadeKey(0x20, c.fireHeld ? 0 : 1);
        ArcadeWriteMem(c.latch, c.value);
        std::vector<int> expected;
        if (c.sound)
            expected.push_back(c.sound);
        EXPECT_EQ(expected, Host.sounds) << std::hex << c.latch << " " << (int)c.value;
        EXPECT_EQ(c.value, ArcadeReadMem(c.latch));
        Host.sounds.clear();
        ArcadeWriteMem(c.latch, c.value);
        EXPECT_TRUE(Host.sounds.empty()) << "an unchanged latch starts nothing";
    }
}

TEST_F(ArcadeMachineCore, EachLatchAddressKeepsItsOwnValue) {
    ArcadeWriteMem(0x6000, 0x8F);
    ArcadeWriteMem(0x6001, 0x8F);
    ArcadeWriteMem(0x6000, 0x8F);
    EXPECT_EQ((std::vector<int>{112, 112}), Host.sounds);
}

class ArcadeHiScores : public ArcadeMachineCore {
protected:
    void SetUp() override {
        ArcadeMachineCore::SetUp();
        for (int i = 0; i < 12; i++)
            ArcadeKept.HiScoreTable[i] = (uint8_t)(0x10 + i);
    }
    void WriteScore(int position, uint8_t value) { ArcadeWriteMem((uint16_t)(0x4380 + position), value); }
};

TEST_F(ArcadeHiScores, First36WritesAnywhereInTheAreaAreRestored) {
    // Uneven order: addresses hit several times, some not at all.
    for (int i = 0; i < 36; i++) {
        int position = (i * 7) % 9;
        WriteScore(position, 0xEE);
        EXPECT_EQ(0x10 + position, ArcadeReadMem((uint16_t)(0x4380 + position)));
    }
    WriteScore(11, 0x42);
    EXPECT_EQ(0x42, ArcadeReadMem(0x438B)) << "the 37th write is stored as written";
    WriteScore(0, 0x43);
    EXPECT_EQ(0x43, ArcadeReadMem(0x4380));
}

TEST_F(ArcadeHiScores, WritesOutsideTheAreaDoNotUseUpTheCount) {
    for (int i = 0; i < 50; i++) {
        ArcadeWriteMem(0x437F, 1);
        ArcadeWriteMem(0x438C, 2);
    }
    EXPECT_EQ(2, ArcadeReadMem(0x438C));
    EXPECT_EQ(1, ArcadeReadMem(0x437F));
    WriteScore(5, 0xEE);
    EXPECT_EQ(0x15, ArcadeReadMem(0x4385));
}

TEST_F(ArcadeHiScores, StopKeepsTheScoresTheGameWrote) {
    for (int i = 0; i < 36; i++)
        WriteScore(i % 12, 0);
    for (int i = 0; i < 12; i++)
        WriteScore(i, (uint8_t)(0x80 + i));
    ArcadeCoreEndRun();
    ArcadeCoreRelease();
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(0x80 + i, ArcadeKept.HiScoreTable[i]);
}

TEST_F(ArcadeHiScores, StopBeforeTheGameWroteItsTableKeepsTheSavedScores) {
    EndTestMachine();
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(0x10 + i, ArcadeKept.HiScoreTable[i]);

    // Restored bytes and bytes the game never reached stay as saved; only
    // the game's own writes replace them.
    ASSERT_EQ(0, BuildTestMachine(Idle));
    for (int i = 0; i < 36; i++)
        WriteScore(0, 0);
    WriteScore(3, 0x99);
    EndTestMachine();
    uint8_t expected[12];
    for (int i = 0; i < 12; i++)
        expected[i] = (uint8_t)(0x10 + i);
    expected[3] = 0x99;
    EXPECT_EQ(0, memcmp(expected, ArcadeKept.HiScoreTable, 12));

    // A second stop, or one without a machine, leaves the table alone.
    EndTestMachine();
    EXPECT_EQ(0, memcmp(expected, ArcadeKept.HiScoreTable, 12));
}

TEST_F(ArcadeMachineCore, KeysClearTheirBitWhileHeld) {
    struct Case { int key; uint8_t bit; } cases[] = {
        {0x33, 0x01}, {0x31, 0x02}, {0x32, 0x04}, {0x20, 0x10}, {0x44, 0x20}, {0x41, 0x40}, {0x42, 0x80}};
    for (const Case &c : cases) {
        ArcadeKey(c.key, 0);
        EXPECT_EQ(0xFF & ~c.bit, ArcadeReadMem(0x7000)) << std::hex << c.key;
        ArcadeKey(c.key, 1);
        EXPECT_EQ(0xFF, ArcadeReadMem(0x7000));
    }
    ArcadeKey(0x20, 0);
    ArcadeKey(0x41, 0);
    EXPECT_EQ(0xAF, ArcadeReadMem(0x7000));
    for (int key : {0x08, 0x34, 0x43, 0x61, 0x1B, 0x26})
        ArcadeKey(key, 0);
    EXPECT_EQ(0xAF, ArcadeReadMem(0x7000)) << "other keys change nothing";
    EXPECT_EQ(1, Arcade.frameSkip.load());

    EndTestMachine();
    ArcadeKey(0x20, 0); // no machine: nothing to change, nothing to crash
}

TEST_F(ArcadeMachineCore, FrameSkipKeysActOnKeyUpAndNeverGoBelowOne) {
    ArcadeKey('W', 1);
    EXPECT_EQ(1, Arcade.frameSkip.load());
    ArcadeKey('Q', 0);
    ArcadeKey('W', 0);
    EXPECT_EQ(1, Arcade.frameSkip.load());
    for (int i = 0; i < 3; i++)
        ArcadeKey('Q', 1);
    EXPECT_EQ(4, Arcade.frameSkip.load());
    ArcadeKey('W', 1);
    EXPECT_EQ(3, Arcade.frameSkip.load());
    Arcade.frameSkip.store(2147483647);
    ArcadeKey('Q', 1);
    EXPECT_EQ(2147483647, Arcade.frameSkip.load());
    EXPECT_EQ(0xFF, ArcadeReadMem(0x7000));
}

TEST_F(ArcadeMachineCore, TheGameSeesNoInterruptAfterItsFirstEi) {
    // EI; LD A,0x5A; LD (0x4100),A; JR $. A register file cleared to zero
    // would jump to 0 after the EI, over and over, and never store.
    ASSERT_EQ(0, BuildTestMachine({0xFB, 0x3E, 0x5A, 0x32, 0x00, 0x41, 0x18, 0xFE}));
    EXPECT_EQ(Z80VectorNone, Arcade.regs.pendingVector);
    EXPECT_EQ(51166, Arcade.regs.hookPeriod);
    ASSERT_EQ(0, ArcadeCoreRunFrames(2));
    EXPECT_EQ(0x5A, ArcadeReadMem(0x4100));
    EXPECT_EQ(6, Arcade.regs.PC);
}

} // namespace
