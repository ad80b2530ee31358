// The player making sound under Wine's null audio device: a wave file
// through MCI to its end and on to the next row, a module through our MIDAS
// layer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <vfw.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "midas.h"
#include "player_test_support.h"
#include "test_module.h"
#include "test_support.h"
#include "ui_seams.h"

namespace {

struct SoundFixture : ::testing::Test {
    ScopedRegistryRoot registry;
    ScopedTempFolder folder;
    HWND window = nullptr;
    PlayerState *player = nullptr;

    void SetUp() override
    {
        SetRegistryRoot(registry.Key());
        window = CreateTestPlayer();
        ASSERT_NE(window, nullptr);
        player = PlayerOf(window);
    }
    void TearDown() override
    {
        if (window && IsWindow(window)) {
            SendMessageA(window, WM_USER, PLAYER_SAVE_STATE, 1);
            DestroyWindow(window);
        }
        SetRegistryRoot(nullptr);
    }
    std::string File(const std::string &name) { return folder.Path() + "\\" + name; }
    void Play() { SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0); }
};

TEST_F(SoundFixture, AWaveFilePlaysToItsEndAndThePlayerMovesToTheNextRow)
{
    ASSERT_TRUE(WriteTestWave(File("short.wav"), 400));
    ASSERT_TRUE(WriteTestWave(File("long.wav"), 20000));
    AddPlaylistRow(player->list, "short", File("short.wav").c_str());
    AddPlaylistRow(player->list, "long", File("long.wav").c_str());
    Play();
    ASSERT_NE(player->mciWindow, nullptr) << "MCI could not play the wave file";
    EXPECT_EQ(player->currentIndex, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_PLAY)));
    HWND first = player->mciWindow;
    ASSERT_TRUE(PumpUntil([&] { return player->currentIndex == 1; }, 15000))
        << "still on row " << player->currentIndex;
    EXPECT_NE(player->mciWindow, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(FirstSelectedRow(player->list), 1);
    EXPECT_EQ(SendMessageA(player->mciWindow, MCIWNDM_GETMODEA, 0, 0), MCI_MODE_PLAY);
}

TEST_F(SoundFixture, ARowThatCannotPlayIsPassedOverAndKept)
{
    ASSERT_TRUE(WriteTestWave(File("fine.wav"), 5000));
    AddPlaylistRow(player->list, "gone", File("gone.wav").c_str());
    AddPlaylistRow(player->list, "fine", File("fine.wav").c_str());
    Play();
    EXPECT_EQ(player->currentIndex, 1);
    EXPECT_NE(player->mciWindow, nullptr);
    EXPECT_EQ(RowCount(player), 2);
    EXPECT_EQ(RowText(player, 0), "gone");
}

TEST_F(SoundFixture, AModulePlaysThroughOurLayerPausesAndResumes)
{
    // Four positions of one row at speed 6: about half a second of music.
    ASSERT_TRUE(WriteTestModule(File("tune.mod"), "Layer Tune", 4, 6));
    AddPlaylistRow(player->list, "tune", File("tune.mod").c_str());
    Play();
    ASSERT_NE(player->module, nullptr);
    EXPECT_EQ(player->moduleState, MODULE_PLAYING);
    MIDASmoduleInfo info = {};
    ASSERT_TRUE(MIDASgetModuleInfo(player->module, &info));
    EXPECT_STREQ(info.songName, "Layer Tune");
    HWND slider = GetDlgItem(window, IDC_POSITION);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(slider, TBM_GETPOS, 0, 0) > 0; }, 5000))
        << "the position never moved";
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 4);

    SendMessageA(window, WM_COMMAND, IDC_PAUSE, 0);
    EXPECT_EQ(player->moduleState, MODULE_PAUSED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_PLAY)));
    // Play while paused resumes the same module instead of starting anew.
    MIDASmodule paused = player->module;
    Play();
    EXPECT_EQ(player->moduleState, MODULE_PLAYING);
    EXPECT_EQ(player->module, paused);

    SendMessageA(window, WM_COMMAND, IDC_STOP, 0);
    EXPECT_EQ(player->module, nullptr);
    EXPECT_EQ(EntryOfRow(player->list, 0)->played, 0);
}

TEST_F(SoundFixture, AModuleThatEndsStartsTheNextRow)
{
    ASSERT_TRUE(WriteTestModule(File("first.mod"), "First", 2, 3));
    ASSERT_TRUE(WriteTestModule(File("second.mod"), "Second", 64, 6));
    AddPlaylistRow(player->list, "first", File("first.mod").c_str());
    AddPlaylistRow(player->list, "second", File("second.mod").c_str());
    Play();
    ASSERT_EQ(player->currentIndex, 0);
    ASSERT_TRUE(PumpUntil([&] { return player->currentIndex == 1; }, 10000));
    MIDASmoduleInfo info = {};
    ASSERT_TRUE(MIDASgetModuleInfo(player->module, &info));
    EXPECT_STREQ(info.songName, "Second");
}

// Shuffle on, a list with files that are gone: each track that ends (an
// automatic start) takes a row not played yet in this round.
TEST_F(SoundFixture, AShuffledRoundPlaysEveryPlayableRowOnceAndPassesOverMissingFiles)
{
    const char *names[] = {"one.mod", "gone1.mod", "two.mod", "three.mod", "gone2.mod", "four.mod"};
    for (const char *name : names) {
        if (strncmp(name, "gone", 4) != 0) {
            ASSERT_TRUE(WriteTestModule(File(name), name, 64, 6));
        }
        AddPlaylistRow(player->list, name, File(name).c_str());
    }
    SendMessageA(window, WM_COMMAND, IDC_SHUFFLE, 0);
    ASSERT_TRUE(player->shuffle);
    std::vector<int> played;
    for (int i = 0; i < 4 * 4; ++i) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_AUTOMATIC), 0);
        ASSERT_NE(player->module, nullptr) << "nothing plays after " << i << " tracks";
        EXPECT_EQ(FirstSelectedRow(player->list), player->currentIndex);
        if (!played.empty()) {
            EXPECT_NE(player->currentIndex, played.back()) << "a track played twice in a row";
        }
        played.push_back(player->currentIndex);
    }
    for (size_t round = 0; round < played.size(); round += 4)
        EXPECT_EQ(std::set<int>(played.begin() + round, played.begin() + round + 4),
                  (std::set<int>{0, 2, 3, 5}))
            << "round " << round / 4;
    EXPECT_EQ(RowCount(player), 6) << "rows that cannot play stay in the list";
}

} // namespace
