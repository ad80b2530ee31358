#include "arcade_dialog_fixture.h"

#include <cstring>

#include "core/main_window/startup.h"
#include "registry_text.h"
#include "version.h"

namespace {

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int Width(RECT r)
{
    return r.right - r.left;
}

int Height(RECT r)
{
    return r.bottom - r.top;
}

bool Inside(RECT inner, RECT outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST_F(ArcadeDialogTest, TheScreenHoldsThePictureAndNoControlOverlapsAnotherAtEitherSize)
{
    // No control leaves the client area and none overlaps another, but for
    // the DIP switches lying wholly inside their group box.
    auto expectLayoutHolds = [this](const char *when) {
        std::vector<int> ids = {IDC_VUVOVIR_SCREEN};
        for (int id = IDC_VUVOVIR_FIRST_MOVING; id <= IDC_VUVOVIR_LAST_MOVING; ++id)
            ids.push_back(id);
        RECT client;
        GetClientRect(dialog, &client);
        RECT group = ControlRect(IDC_VUVOVIR_DIP_GROUP);
        for (size_t i = 0; i < ids.size(); ++i) {
            RECT a = ControlRect(ids[i]);
            EXPECT_TRUE(Inside(a, client)) << when << ": " << ids[i] << " leaves the client area";
            for (size_t j = i + 1; j < ids.size(); ++j) {
                RECT b = ControlRect(ids[j]), both;
                if (ids[i] == IDC_VUVOVIR_DIP_GROUP && Inside(b, group))
                    continue;
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << when << ": " << ids[i] << " overlaps " << ids[j];
            }
        }
    };
    Open();
    HWND screen = GetDlgItem(dialog, IDC_VUVOVIR_SCREEN);
    RECT client;
    GetClientRect(screen, &client);
    EXPECT_GE(client.right, 208) << "the whole picture at 1:1";
    EXPECT_GE(client.bottom, 256);
    expectLayoutHolds("1:1");
    RECT initial = WindowRect(dialog);
    MINMAXINFO info = {};
    SendMessageA(dialog, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.ptMinTrackSize.y, Height(initial)) << "the grown size is the one to keep";

    Click(IDC_VUVOVIR_STRETCH);
    expectLayoutHolds("stretched");
    RECT stretched;
    GetClientRect(screen, &stretched);
    EXPECT_EQ(stretched.right, client.right + 100);
    EXPECT_EQ(stretched.bottom, client.bottom + 100);

    Click(IDC_VUVOVIR_STRETCH);
    expectLayoutHolds("back");
    RECT back;
    GetClientRect(screen, &back);
    EXPECT_EQ(back.right, client.right);
    EXPECT_EQ(back.bottom, client.bottom);
}

TEST_F(ArcadeDialogTest, ShowsItsControlsAndTheVersionInTheCaption)
{
    Open();
    EXPECT_EQ(TextOf(dialog), std::string("Zettlies  :  ") + ZETTLIES_VERSION_TEXT);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_THICKFRAME) << "resizable";
    EXPECT_FALSE(style & WS_SYSMENU) << "Quit is the way out";
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // One ampersand shows; radio buttons look like push buttons.
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_VUVOVIR_STRETCH)), "Stretch Double && Resize");
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_VUVOVIR_LIVES_6), GWL_STYLE) & BS_PUSHLIKE);
    for (int id = IDC_VUVOVIR_FIRST_MOVING; id <= IDC_VUVOVIR_LAST_MOVING; ++id)
        EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_VUVOVIR_SCREEN)));
    EXPECT_TRUE(Checked(IDC_VUVOVIR_BONUS_3000));
    EXPECT_TRUE(Checked(IDC_VUVOVIR_LIVES_3));
    EXPECT_TRUE(Checked(IDC_VUVOVIR_GAME_VUVOVIR));
    EXPECT_FALSE(Checked(IDC_VUVOVIR_STRETCH));

    // The first machine: Vuvovir, 3 lives, 3000, 1:1 without the frame rate,
    // drawing into the screen control.
    ASSERT_EQ(Recorded.Count("init"), 1);
    MachineCall init = Recorded.Of("init")[0];
    EXPECT_EQ(init.a, 1);
    EXPECT_EQ(init.b, 0);
    EXPECT_EQ(init.c, 0);
    EXPECT_EQ(init.d, 0) << "stretch and frame rate off";
    EXPECT_EQ(Recorded.lastScreen, GetDlgItem(dialog, IDC_VUVOVIR_SCREEN));
    EXPECT_NE(Recorded.lastDc, nullptr);
    EXPECT_EQ(VuvovirEmulator.emulatorDialog, dialog);
    EXPECT_EQ(VuvovirEmulator.painterAlive, 1) << "the strip scrolls";
    SendMessageA(dialog, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(Recorded.Count("key"), 1) << "keys go to the machine";
}

TEST_F(ArcadeDialogTest, StretchGrowsTheDialogAndScreenByAHundredPixelsAndBack)
{
    Open();
    RECT initial = WindowRect(dialog);
    RECT screen = ControlRect(IDC_VUVOVIR_SCREEN);
    RECT quit = ControlRect(IDC_VUVOVIR_QUIT);
    RECT strip = ControlRect(IDC_VUVOVIR_ABOUT_STRIP);

    Click(IDC_VUVOVIR_STRETCH);
    RECT grown = WindowRect(dialog);
    EXPECT_EQ(grown.left, initial.left) << "resized where it stands";
    EXPECT_EQ(grown.top, initial.top);
    EXPECT_EQ(Width(grown), Width(initial) + 100);
    EXPECT_EQ(Height(grown), Height(initial) + 100);
    RECT bigScreen = ControlRect(IDC_VUVOVIR_SCREEN);
    EXPECT_EQ(bigScreen.left, screen.left);
    EXPECT_EQ(bigScreen.top, screen.top);
    EXPECT_EQ(Width(bigScreen), Width(screen) + 100);
    EXPECT_EQ(Height(bigScreen), Height(screen) + 100);
    RECT movedQuit = ControlRect(IDC_VUVOVIR_QUIT);
    EXPECT_EQ(movedQuit.left, quit.left + 50);
    EXPECT_EQ(movedQuit.top, quit.top + 100);
    EXPECT_EQ(Width(movedQuit), Width(quit));
    EXPECT_EQ(ControlRect(IDC_VUVOVIR_ABOUT_STRIP).top, strip.top + 100);
    ASSERT_EQ(Recorded.Count("options"), 1);
    MachineCall options = Recorded.Of("options")[0];
    EXPECT_EQ(options.a, 1);
    EXPECT_EQ(options.b, 0);
    EXPECT_EQ(options.c, 0);

    Click(IDC_VUVOVIR_STRETCH);
    RECT back = WindowRect(dialog);
    EXPECT_EQ(Width(back), Width(initial)) << "back to the size it was made with";
    EXPECT_EQ(Height(back), Height(initial));
    RECT screenBack = ControlRect(IDC_VUVOVIR_SCREEN);
    EXPECT_EQ(Width(screenBack), Width(screen));
    EXPECT_EQ(Height(screenBack), Height(screen));
    EXPECT_EQ(ControlRect(IDC_VUVOVIR_QUIT).left, quit.left);
    EXPECT_EQ(ControlRect(IDC_VUVOVIR_QUIT).top, quit.top);
    ASSERT_EQ(Recorded.Count("options"), 2);
    EXPECT_EQ(Recorded.Of("options")[1].a, 1) << "the picture always fills the screen control";

    MINMAXINFO info = {};
    SendMessageA(dialog, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.ptMinTrackSize.x, Width(initial));
    EXPECT_EQ(info.ptMinTrackSize.y, Height(initial));
}

TEST_F(ArcadeDialogTest, FrameRateAndFullThrottleBoxesTurnStretchOnAndKeepTheSize)
{
    Open();
    RECT initial = WindowRect(dialog);
    Click(IDC_VUVOVIR_SHOW_FPS);
    Click(IDC_VUVOVIR_FULL_THROTTLE);
    Click(IDC_VUVOVIR_SHOW_FPS);
    std::vector<MachineCall> options = Recorded.Of("options");
    ASSERT_EQ(options.size(), 3u);
    int expected[3][3] = {{1, 1, 0}, {1, 1, 1}, {1, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(options[i].a, expected[i][0]) << i;
        EXPECT_EQ(options[i].b, expected[i][1]) << i;
        EXPECT_EQ(options[i].c, expected[i][2]) << i;
    }
    EXPECT_EQ(Width(WindowRect(dialog)), Width(initial));
    EXPECT_EQ(Height(WindowRect(dialog)), Height(initial));
}

TEST_F(ArcadeDialogTest, PlusAndMinusChangeTheFrameSkipAtOnce)
{
    Open();
    Click(IDC_VUVOVIR_SKIP_MORE);
    Click(IDC_VUVOVIR_SKIP_LESS);
    std::vector<MachineCall> keys = Recorded.Of("key");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].a, 'Q');
    EXPECT_EQ(keys[0].b, 1) << "a key-up event acts at once";
    EXPECT_EQ(keys[1].a, 'W');
    EXPECT_EQ(keys[1].b, 1);
}

TEST_F(ArcadeDialogTest, ResetStartsTheChosenGameWithItsDipSwitches)
{
    Open();
    Click(IDC_VUVOVIR_GAME_SORVALEN);
    Click(IDC_VUVOVIR_LIVES_6);
    Click(IDC_VUVOVIR_BONUS_6000);
    EXPECT_FALSE(Checked(IDC_VUVOVIR_GAME_VUVOVIR)) << "one game at a time";
    EXPECT_EQ(Recorded.Count("init"), 1) << "nothing changes before Reset";
    Click(IDC_VUVOVIR_RESET);
    ASSERT_EQ(Recorded.Count("init"), 2);
    MachineCall again = Recorded.Of("init")[1];
    EXPECT_EQ(again.a, 2);
    EXPECT_EQ(again.b, 3);
    EXPECT_EQ(again.c, 3);
    EXPECT_EQ(Recorded.calls[Recorded.calls.size() - 2].what, "stop") << "the old machine first";
    EXPECT_TRUE(PumpUntil([] { return Recorded.runs == 2 && VuvovirEmulator.emulationActive; }));

    EXPECT_EQ(CountBoxes(REGISTRY_ERROR_CAPTION), 0);
    EXPECT_EQ(StoredHiScore(), "(none)") << "Reset neither reads nor writes the registry";
}

TEST_F(ArcadeDialogTest, ResetHandsTheChosenDisplayOptionsToTheNewMachine)
{
    Open();
    Click(IDC_VUVOVIR_SHOW_FPS);
    size_t before = Recorded.calls.size();
    Click(IDC_VUVOVIR_RESET);
    ASSERT_GE(Recorded.calls.size(), before + 3);
    EXPECT_EQ(Recorded.calls[before + 1].what, "init");
    EXPECT_EQ(Recorded.calls[before + 2].what, "options");
    EXPECT_EQ(Recorded.calls[before + 2].a, 1);
    EXPECT_EQ(Recorded.calls[before + 2].b, 1);
}

TEST_F(ArcadeDialogTest, QuitStoresTheScoresAndEndsEverything)
{
    Open();
    for (int i = 0; i < 12; ++i)
        ArcadeKept.HiScoreTable[i] = (uint8_t)(200 + i);
    Click(IDC_VUVOVIR_QUIT);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(StoredHiScore(), "200 201 202 203 204 205 206 207 208 209 210 211");
    EXPECT_EQ(VuvovirEmulator.emulatorDialog, nullptr);
    EXPECT_EQ(VuvovirEmulator.emulationActive, 0) << "the emulation thread has ended";
    EXPECT_EQ(Recorded.Count("stop"), 1);
}

TEST_F(ArcadeDialogTest, AFailedStartIsReportedAndQuitLeavesTheStoredScores)
{
    StoreHiScore("9 9 9", 5);
    Recorded.failInit = true;
    Open();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Vuvovir Init Error");
    EXPECT_EQ(boxes.Boxes()[0].text, "Unable to start program eumlation");
    EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONMASK, (UINT)MB_ICONSTOP);
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open without a machine";
    EXPECT_EQ(ArcadeKept.HiScoreTable[0], 0) << "no machine, no scores loaded";

    SendMessageA(dialog, WM_KEYDOWN, VK_CONTROL, 0);
    SendMessageA(dialog, WM_KEYUP, 'A', 0);
    Click(IDC_VUVOVIR_SKIP_MORE);
    EXPECT_EQ(Recorded.Count("key"), 0) << "keys do nothing without a machine";

    Click(IDC_VUVOVIR_HELP);
    ASSERT_EQ(CountBoxes("Vuvovir Help"), 1);
    const MessageBoxRecorder::Box &help = boxes.Boxes().back();
    EXPECT_EQ(help.type & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
    for (const char *key : {"Control", "Space", "Alt", "Left arrow", "Right arrow", "insert coin",
                            "start game"})
        EXPECT_NE(help.text.find(key), std::string::npos) << key;

    Click(IDC_VUVOVIR_RESET);
    EXPECT_EQ(CountBoxes("Vuvovir Init Error"), 2) << "Reset may be tried again";

    Click(IDC_VUVOVIR_QUIT);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(StoredHiScore(), "9 9 9") << "zeros never replace the stored table";
}

TEST_F(ArcadeDialogTest, AMachineStartedOnlyByResetLoadsTheScoresBeforeItRuns)
{
    const char stored[] = "1 2 3 4 5 6 7 8 9 10 11 12";
    StoreHiScore(stored, sizeof stored - 1);
    Recorded.failInit = true;
    Open();
    Recorded.failInit = false;
    Click(IDC_VUVOVIR_RESET);
    EXPECT_TRUE(PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }));
    SendMessageA(dialog, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(Recorded.Count("key"), 1) << "the machine takes the keys";
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ArcadeKept.HiScoreTable[i], i + 1);
    Click(IDC_VUVOVIR_QUIT);
    EXPECT_EQ(StoredHiScore(), stored);
}

TEST_F(ArcadeDialogTest, KeysBecomeMachineKeysWhileItIsReady)
{
    Open();
    struct Key {
        UINT message;
        WPARAM virtualKey;
        int code, up;
    } keys[] = {
        {WM_KEYDOWN, VK_CONTROL, 0x20, 0},
        {WM_SYSKEYDOWN, VK_MENU, 0x42, 0},
        {WM_SYSKEYUP, VK_MENU, 0x42, 1},
        {WM_KEYUP, 'D', 'D', 1},
    };
    for (const Key &k : keys)
        SendMessageA(dialog, k.message, k.virtualKey, 0);
    std::vector<MachineCall> got = Recorded.Of("key");
    ASSERT_EQ(got.size(), sizeof keys / sizeof keys[0]);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].a, keys[i].code) << i;
        EXPECT_EQ(got[i].b, keys[i].up) << i;
    }
    SendMessageA(dialog, WM_CHAR, 'a', 0);
    EXPECT_EQ(Recorded.Count("key"), (int)got.size()) << "characters are no keys";
}

TEST_F(ArcadeDialogTest, TheMessageLoopHandsKeysOfItsButtonsToTheDialog)
{
    Open();
    HWND owned = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, dialog, nullptr, nullptr,
                                 nullptr);
    PostMessageA(GetDlgItem(dialog, IDC_VUVOVIR_RESET), WM_KEYDOWN, VK_LEFT, 0);
    PostMessageA(GetDlgItem(dialog, IDC_VUVOVIR_QUIT), WM_KEYUP, VK_LEFT, 0);
    // A window the dialog owns is no child of it: its keys stay its own.
    PostMessageA(owned, WM_KEYDOWN, VK_RIGHT, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    DestroyWindow(owned);
    std::vector<MachineCall> got = Recorded.Of("key");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].a, 0x41);
    EXPECT_EQ(got[0].b, 0);
    EXPECT_EQ(got[1].b, 1);
    EXPECT_TRUE(IsWindow(dialog)) << "the Reset button was not pressed by the key";
    EXPECT_EQ(Recorded.Count("init"), 1);
}

TEST_F(ArcadeDialogTest, GoingWithItsOwnerStopsTheMachineAndKeepsTheScores)
{
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    Open(owner);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    ArcadeKept.HiScoreTable[0] = 77;
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(Recorded.Count("stop"), 1);
    EXPECT_EQ(VuvovirEmulator.emulationActive, 0);
    EXPECT_EQ(StoredHiScore(), "77 0 0 0 0 0 0 0 0 0 0 0");
}

TEST_F(ArcadeDialogTest, TheStripScrollsTheTextUntilThePainterIsStopped)
{
    EXPECT_EQ(VuvovirAboutPaintThread(nullptr), 0u);
    HWND bare = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    EXPECT_EQ(VuvovirAboutPaintThread(bare), 0u) << "no strip to paint in";
    DestroyWindow(bare);

    Open();
    // Read back from the screen: no other test's window may cover it.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND strip = GetDlgItem(dialog, IDC_VUVOVIR_ABOUT_STRIP);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF ink = RGB(255 - GetRValue(face), 255 - GetGValue(face), 255 - GetBValue(face));
    RECT client;
    GetClientRect(strip, &client);
    // The text enters from the right at one pixel a step.
    bool inked = PumpUntil([&] {
        HDC dc = GetDC(strip);
        bool found = false;
        for (int x = client.right - 40; x < client.right && !found; ++x)
            for (int y = 0; y < client.bottom && !found; ++y)
                found = GetPixel(dc, x, y) == ink;
        ReleaseDC(strip, dc);
        return found;
    }, 5000);
    EXPECT_TRUE(inked);

    // A painter of our own, in a strip of its own that starts black: once it
    // has painted there it is inside its loop, and it must see its window's
    // property taken away there and end with 1.
    HWND own = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0,
                               120, 20, nullptr, nullptr, nullptr, nullptr);
    HWND ownStrip = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 0, 0, 120, 20,
                                    own, (HMENU)(INT_PTR)IDC_VUVOVIR_ABOUT_STRIP, nullptr, nullptr);
    ASSERT_NE(ownStrip, nullptr);
    UpdateWindow(own);
    auto painted = [&] {
        HDC dc = GetDC(ownStrip);
        COLORREF corner = GetPixel(dc, 0, 0);
        ReleaseDC(ownStrip, dc);
        return corner == face;
    };
    ASSERT_FALSE(painted()) << "the strip must start in another colour than the painter's";
    VuvovirEmulator.painterAlive = 1;
    HANDLE extra = CreateThread(nullptr, 0, VuvovirAboutPaintThread, own, 0, nullptr);
    ASSERT_NE(extra, nullptr);
    EXPECT_TRUE(PumpUntil(painted, ScaledWait(5000)));
    VuvovirEmulator.painterAlive = 0;
    ASSERT_EQ(WaitForSingleObject(extra, ScaledWait(2000)), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(extra, &code);
    CloseHandle(extra);
    DestroyWindow(own);
    EXPECT_EQ(code, 1u);
}
