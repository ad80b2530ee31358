// The player dialog in-process: settings in the registry, playlists from
// files and the registry, and the rules of moving on.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "player_test_support.h"
#include "scope_state.h"
#include "test_support.h"
#include "ui_seams.h"

namespace {

struct PlayerFixture : ::testing::Test {
    ScopedRegistryRoot registry;
    ScopedTempFolder folder;
    HWND window = nullptr;
    PlayerState *player = nullptr;

    void SetUp() override { SetRegistryRoot(registry.Key()); }
    void TearDown() override
    {
        Close();
        SetRegistryRoot(nullptr);
    }
    void Open()
    {
        window = CreateTestPlayer();
        ASSERT_NE(window, nullptr);
        player = PlayerOf(window);
        ASSERT_NE(player, nullptr);
    }
    // As the main program closes it: save once, then destroy.
    void Close()
    {
        if (window && IsWindow(window)) {
            SendMessageA(window, WM_USER, PLAYER_SAVE_STATE, 1);
            DestroyWindow(window);
        }
        window = nullptr;
        player = nullptr;
    }
    std::string File(const std::string &name) { return folder.Path() + "\\" + name; }
    std::string ReadValue(const char *name)
    {
        HKEY key;
        std::string value;
        if (RegOpenKeyA(registry.Key(), "software\\Kestrova\\Tunelark", &key) != ERROR_SUCCESS)
            return "<no key>";
        char text[1024];
        DWORD size = sizeof text - 1, type;
        if (RegQueryValueExA(key, name, nullptr, &type, (BYTE *)text, &size) == ERROR_SUCCESS) {
            text[size] = 0;
            value = text;
        } else {
            value = "<none>";
        }
        RegCloseKey(key);
        return value;
    }
    void WriteValue(const char *name, const std::string &text)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(registry.Key(), "software\\Kestrova\\Tunelark", &key), ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text.c_str(), (DWORD)text.size() + 1);
        RegCloseKey(key);
    }
};

TEST_F(PlayerFixture, SettingsRoundTripLeavesNoRowsOfALongerListBehind)
{
    Open();
    for (int i = 0; i < 5; ++i)
        AddPlaylistRow(player->list, ("Row " + std::to_string(i)).c_str(), File("r" + std::to_string(i) + ".mp3").c_str());
    SelectOnlyRow(player->list, 3);
    SendMessageA(window, WM_COMMAND, CM_TRANSPARENCY_50, 0);
    Close();
    EXPECT_EQ(ReadValue("MP3_FILE_4"), "Row 4*" + File("r4.mp3"));

    Open();
    ASSERT_EQ(RowCount(player), 5);
    EXPECT_EQ(FirstSelectedRow(player->list), 3);
    EXPECT_EQ(player->alpha, 128);
    SendMessageA(window, WM_COMMAND, CM_DEL_ALL, 0);
    for (int i = 0; i < 3; ++i)
        AddPlaylistRow(player->list, ("New " + std::to_string(i)).c_str(), File("n" + std::to_string(i) + ".wav").c_str());
    Close();
    EXPECT_EQ(ReadValue("MP3_FILE_2"), "New 2*" + File("n2.wav"));
    EXPECT_EQ(ReadValue("MP3_FILE_3"), "<none>");
    EXPECT_EQ(ReadValue("MP3_FILE_4"), "<none>");

    Open();
    ASSERT_EQ(RowCount(player), 3);
    EXPECT_EQ(RowText(player, 0), "New 0");
    EXPECT_STREQ(EntryOfRow(player->list, 2)->path, File("n2.wav").c_str());
}

TEST_F(PlayerFixture, ABadRegistryRowIsLeftOutAndLaterRowsKept)
{
    WriteValue("MP3_Window", "100 100 400 300 3 0 0 2 0 -1 200 -1 0 0");
    WriteValue("MP3_LastAddDirPath", "C:\\");
    WriteValue("MP3_FILE_0", "First*C:\\a.mp3");
    WriteValue("MP3_FILE_1", "Too long*" + std::string(400, 'x'));
    WriteValue("MP3_FILE_2", "Third*C:\\c.mp3");
    Open();
    ASSERT_EQ(RowCount(player), 2);
    EXPECT_EQ(RowText(player, 0), "First");
    EXPECT_EQ(RowText(player, 1), "Third");
    EXPECT_STREQ(EntryOfRow(player->list, 1)->path, "C:\\c.mp3");
}

TEST_F(PlayerFixture, AFullHeightWindowSavedAsRolledUpComesBackUnrolledAtItsSize)
{
    // The rolled-up flag is 1 until the first sizing; a full-height window
    // saved with it must not be cut to the button strip when it comes back.
    WriteValue("MP3_Window", "100 100 400 420 0 0 0 2 1 -1 300 -1 0 0");
    WriteValue("MP3_LastAddDirPath", "");
    Open();
    RECT window;
    GetWindowRect(this->window, &window);
    EXPECT_EQ(window.bottom - window.top, 320);
    EXPECT_EQ(player->rolledUp, 0);
    EXPECT_EQ(player->rollDirection, 2);
    Close();
    Open();
    GetWindowRect(this->window, &window);
    EXPECT_EQ(window.bottom - window.top, 320);
}

TEST_F(PlayerFixture, APlaylistFileAddsItsRowsAfterTheHeader)
{
    std::string list = File("list.SPL");
    ASSERT_TRUE(WriteBytes(list, "[Zettlies MP3 Playlist Header V1.0]\r\nOne*C:\\one.mp3\na*b*c\n\nLast*D:\\x.it"));
    std::string wrong = File("wrong.SPL");
    ASSERT_TRUE(WriteBytes(wrong, "[Some Other Header]\nOne*C:\\one.mp3\n"));
    Open();
    EXPECT_EQ(LoadPlaylistFile(window, wrong.c_str()), -1);
    EXPECT_EQ(RowCount(player), 0);
    ASSERT_EQ(LoadPlaylistFile(window, list.c_str()), 0);
    ASSERT_EQ(RowCount(player), 4);
    EXPECT_EQ(RowText(player, 1), "a");
    EXPECT_STREQ(EntryOfRow(player->list, 1)->path, "b*c");
    EXPECT_EQ(RowText(player, 2), "");
    EXPECT_STREQ(EntryOfRow(player->list, 3)->path, "D:\\x.it");
}

TEST_F(PlayerFixture, PlayWithAnEmptyListDoesNothingAndRowsThatCannotPlayAreKept)
{
    Open();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    EXPECT_EQ(player->mciWindow, nullptr);
    EXPECT_EQ(player->module, nullptr);

    ASSERT_TRUE(WriteBytes(File("broken.mod"), "not a module at all"));
    ASSERT_TRUE(WriteBytes(File("notes.txt"), "text"));
    AddPlaylistRow(player->list, "missing", File("missing.wav").c_str());
    AddPlaylistRow(player->list, "broken", File("broken.mod").c_str());
    AddPlaylistRow(player->list, "notes", File("notes.txt").c_str());
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAY, PLAY_BY_USER), 0);
    // Each row was tried once and none started: nothing plays, nothing is
    // lost, and Play can be pressed again.
    EXPECT_EQ(RowCount(player), 3);
    EXPECT_EQ(player->mciWindow, nullptr);
    EXPECT_EQ(player->module, nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_PLAY)));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(EntryOfRow(player->list, row)->played, 1) << row;
}

TEST_F(PlayerFixture, AMessageTellsThatAnEmptyListCannotBeSaved)
{
    MessageBoxRecorder boxes;
    Open();
    SendMessageA(window, WM_COMMAND, CM_SAVE_PLAYLIST, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "No files To SAVE?");
    EXPECT_EQ(boxes.Boxes()[0].text, "Add File to the playlist first!");
}

} // namespace

namespace {
RECT WindowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}
} // namespace

// No sound drivers here, so no capture device: the player's ticks ask the
// scope to sample while a track plays, and it tries the device once and says
// so once. The plasma goes on meanwhile, and "Plasma Random Init" shows.
TEST_F(PlayerFixture, AScopeWithoutACaptureDeviceTriesItOnceAndKeepsItsPlasma)
{
    MessageBoxRecorder boxes;
    Open();
    SendMessageA(window, WM_COMMAND, CM_AUDIO_SCOPE, SCOPE_ANALOG_METER);
    HWND scopeWindow = player->scope;
    ASSERT_NE(scopeWindow, nullptr);
    ScopeState *scope = ScopeOf(scopeWindow);
    ASSERT_TRUE(PumpUntil([&] { return scope->plasmaRunning != 0; }, 5000)) << "no plasma";
    HANDLE plasma = nullptr;
    DuplicateHandle(GetCurrentProcess(), scope->plasmaThread, GetCurrentProcess(), &plasma, SYNCHRONIZE,
                    FALSE, 0);
    for (int tick = 0; tick < 10; ++tick)
        SetScopeSampling(scopeWindow, 1);
    SendMessageA(scopeWindow, WM_COMMAND, CM_SCOPE_PLASMA_INIT, 0);
    EXPECT_TRUE(PumpUntil([&] {
        SetScopeSampling(scopeWindow, 1);
        return scope->plasmaReseed == 0;
    }, 5000)) << "the new pattern never came while a track played";
    EXPECT_FALSE(scope->sampling);
    EXPECT_EQ(WaitForSingleObject(plasma, 0), (DWORD)WAIT_TIMEOUT) << "the plasma was stopped";
    EXPECT_TRUE(scope->plasmaRunning);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "the failure is told once";
    CloseHandle(plasma);
}

// The scope opens under the player every time, also when its settings make
// it topmost (which shows it while it is being made), and goes where the
// player goes.
TEST_F(PlayerFixture, TheScopeOpensUnderThePlayerAndFollowsIt)
{
    MessageBoxRecorder boxes;
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(registry.Key(), "Software\\Kestrova\\ZezazUzizu", &key), ERROR_SUCCESS);
    const char info[] = "1 -1 0 1";
    RegSetValueExA(key, "ScopeInfo", 0, REG_SZ, (const BYTE *)info, sizeof info);
    RegCloseKey(key);
    Open();
    SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (int opening = 0; opening < 5; ++opening) {
        int mode = SCOPE_DIGITAL_METER + opening % 2;
        SendMessageA(window, WM_COMMAND, CM_AUDIO_SCOPE, mode);
        ASSERT_NE(player->scope, nullptr);
        ScopeState *scope = ScopeOf(player->scope);
        ASSERT_TRUE(PumpUntil([&] { return scope->mode == mode; }, 3000)) << "the mode's size came late";
        RECT p = WindowRect(window), s = WindowRect(player->scope);
        EXPECT_EQ(s.left, p.left) << "opening " << opening;
        EXPECT_EQ(s.top, p.bottom + 1) << "opening " << opening;
        SendMessageA(window, WM_COMMAND, CM_AUDIO_SCOPE, 0); // closes it
        EXPECT_EQ(player->scope, nullptr);
    }
    SendMessageA(window, WM_COMMAND, CM_AUDIO_SCOPE, SCOPE_DIGITAL_METER);
    ASSERT_NE(player->scope, nullptr);
    RECT before = WindowRect(player->scope);
    SetWindowPos(window, nullptr, 340, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT after = WindowRect(player->scope);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 60);
    // Sized from its top edge the player keeps the scope under its bottom
    // edge, where it stays; sized from its bottom edge the scope goes along.
    RECT p = WindowRect(window);
    int height = p.bottom - p.top;
    SetWindowPos(window, nullptr, p.left, p.top - 45, p.right - p.left, height + 45, SWP_NOZORDER);
    EXPECT_EQ(WindowRect(player->scope).top, WindowRect(window).bottom + 1) << "sized from the top";
    EXPECT_EQ(WindowRect(player->scope).left, WindowRect(window).left);
    SetWindowPos(window, nullptr, 0, 0, p.right - p.left, height + 80, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(WindowRect(player->scope).top, WindowRect(window).bottom + 1) << "sized from the bottom";
}
