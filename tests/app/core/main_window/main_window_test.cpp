#include <cstring>

#include "core/note_window/preferences_dialog.h"
#include "main_window_fixture.h"
#include "core/note_window/dialog_ids.h"
#include "core/main_window/main_window_state.h"
#include "core/main_window/zettlies_files.h"
#include "core/notes_table/notes_file_ids.h"
#include "ui_seams.h"

#include <commctrl.h>

// ---- new notes

TEST_F(MainWindowTest, TrayDoubleClickMakesNotesInTheFirstFreeSlots)
{
    CreateMain();
    PostMessageA(main, WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([] { return ZettlyTable[0].window != nullptr; }));
    PostMessageA(main, WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([] { return ZettlyTable[1].window != nullptr; }));
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[0].window));
    EXPECT_EQ(ZettlyTable[1].windowRect.left, ZettlyTable[ZETTLY_DEFAULT_SLOT].windowRect.left + 10);

    DestroyWindow(ZettlyTable[0].window);
    EXPECT_EQ(NewNote(), 0) << "a freed slot is used again first";
    EXPECT_EQ(SendMessageA(main, WM_COMMAND, CMD_NEW_GROUP, 0), 2);
    EXPECT_EQ(ZettlyTable[2].isGroup, 1);
    EXPECT_EQ(UsedSlots(), 3);
}

TEST_F(MainWindowTest, NewNoteIsRefusedOnceSlotsUpTo253AreUsed)
{
    CreateMain();
    HWND placeholder = CreateStandInWindow(false);
    for (int slot = 0; slot <= ZETTLY_LAST_NEW_SLOT; ++slot)
        ZettlyTable[slot].window = placeholder;
    EXPECT_EQ(NewNote(), -1);
    EXPECT_EQ(ZettlyTable[ZETTLY_LAST_NOTE_SLOT].window, nullptr) << "slot 254 is never given out";
    ASSERT_EQ(CountBoxes("Out Of Array Space"), 1);
    EXPECT_EQ(boxes.Boxes().back().text, "Can't Create Any More Zettlies");
    EXPECT_EQ(boxes.Boxes().back().type & MB_ICONMASK, (UINT)MB_ICONHAND);
    for (int slot = 0; slot <= ZETTLY_LAST_NEW_SLOT; ++slot)
        ZettlyTable[slot].window = nullptr;
    DestroyWindow(placeholder);
}

TEST_F(MainWindowTest, NewNoteReportsFailureWhenItsWindowCannotBeMade)
{
    CreateMain();
    UnregisterClassA(ZETTLY_NOTE_CLASS, GetModuleHandleA(nullptr));
    EXPECT_EQ(NewNote(), -1);
    EXPECT_EQ(CountBoxes("Window Create Error"), 1);
    EXPECT_EQ(FindFreeZettlySlot(), 0) << "the slot stays free";
}

// ---- keyboard shortcut codes

namespace {
LRESULT Shortcut(HWND main, int code)
{
    return SendMessageA(main, WM_USER, MAIN_SHORTCUT, code);
}
} // namespace

TEST_F(MainWindowTest, ShortcutsWalkAndCloseTheQuickPickList)
{
    CreateMain();
    MainWindowState *state = MainStateOf(main);
    ASSERT_NE(state, nullptr);
    HWND list = CreateStandInWindow();
    state->quickPick = list;
    Shortcut(main, SHORTCUT_OPEN_LIST);
    EXPECT_EQ(state->quickPick, list) << "an open list is not opened again";
    Shortcut(main, SHORTCUT_NEXT);
    Shortcut(main, SHORTCUT_PREVIOUS);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_TRUE(WasSent(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_NEXT));
    EXPECT_TRUE(WasSent(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_PREVIOUS));

    state->quickPickSlot = -1;
    Shortcut(main, SHORTCUT_JUMP);
    EXPECT_FALSE(IsWindow(list)) << "with nothing selected the list only closes";
    EXPECT_EQ(state->quickPick, nullptr);

    list = state->quickPick = CreateStandInWindow();
    Shortcut(main, SHORTCUT_CLOSE_LIST);
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(state->quickPick, nullptr);
}

TEST_F(MainWindowTest, ShortcutJumpShowsTheChosenNote)
{
    CreateMain();
    MainWindowState *state = MainStateOf(main);
    ASSERT_NE(state, nullptr);
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyTable[slot].showCommand = 0;
    ShowWindow(ZettlyTable[slot].window, SW_HIDE);
    state->quickPick = CreateStandInWindow();
    state->quickPickSlot = slot;
    Shortcut(main, SHORTCUT_JUMP);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(ZettlyTable[slot].window) != 0; }));
    EXPECT_EQ(ZettlyTable[slot].showCommand, 1);
    EXPECT_EQ(state->quickPick, nullptr);
}

TEST_F(MainWindowTest, ShortcutNewNoteAndDeleteNote)
{
    CreateMain();
    MainWindowState *state = MainStateOf(main);
    ASSERT_NE(state, nullptr);
    HWND list = state->quickPick = CreateStandInWindow();
    Shortcut(main, SHORTCUT_NEW_NOTE);
    ASSERT_NE(ZettlyTable[0].window, nullptr);
    EXPECT_TRUE(WasSent(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_CLOSE_LIST));

    HWND note = ZettlyTable[0].window;
    RecordCommandsOf(note);
    state->quickPickSlot = 0;
    Shortcut(main, SHORTCUT_DELETE_NOTE);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_TRUE(WasSent(note, WM_COMMAND, CMD_CLOSE_ZETTLY, 0));
    EXPECT_EQ(state->quickPick, nullptr);

    // Without the list on screen the user cannot see which note would go.
    Received.clear();
    Shortcut(main, SHORTCUT_DELETE_NOTE);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_FALSE(WasSent(note, WM_COMMAND, CMD_CLOSE_ZETTLY, 0));
}

TEST_F(MainWindowTest, HookInstalledBySettingTurnsKeysIntoNotes)
{
    StoreSettings("1 10 1 0 1 3 1 1 0 1 1 0 0 137 0 0 600000 0 1 1 0 0 16777215 0");
    CreateMain();
    INPUT keys[6] = {};
    const WORD vks[3] = {VK_MENU, VK_SHIFT, VK_INSERT};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = vks[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof keys[0]);
    EXPECT_TRUE(PumpUntil([] { return ZettlyTable[0].window != nullptr; }, 3000));
}

// ---- companions

TEST_F(MainWindowTest, CompanionCommandsToggleTheirCheckMarks)
{
    CreateMain();
    const int commands[] = {CMD_PLAYER, CMD_CLOCK, CMD_CHANGER, CMD_METER};
    for (int command : commands) {
        SCOPED_TRACE(command);
        Companion which = (Companion)CompanionOfCommand(command);
        SendMessageA(main, WM_COMMAND, command, 0);
        HWND window = Companions[which].window;
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsChecked(command));
        SendMessageA(main, WM_COMMAND, command, 0);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(Companions[which].window, nullptr);
        EXPECT_FALSE(IsChecked(command));
        if (which == COMPANION_PLAYER) {
            EXPECT_TRUE(WasSent(window, WM_USER, COMPANION_SAVE_STATE, 1))
                << "the player saves its state before it goes";
        }
    }
    SetCompanionLauncher(COMPANION_CLOCK, LaunchNothing);
    SendMessageA(main, WM_COMMAND, CMD_CLOCK, 0);
    EXPECT_FALSE(IsChecked(CMD_CLOCK)) << "a companion that failed to open is not checked";
}

TEST_F(MainWindowTest, CompanionsOpenAtTheLastExitOpenAgain)
{
    // settings 12 (player) and 24 (load meter) as a session end writes them
    StoreSettings("1 10 1 0 1 3 1 1 0 1 1 65636 0 137 0 0 600000 0 0 1 0 0 16777215 1");
    CreateMain();
    // The commands come posted; under load the player alone may take longer
    // than any fixed pause. The clock's absence counts once every command
    // posted at the start has been handled.
    EXPECT_TRUE(PumpUntil(
        [] { return Companions[COMPANION_PLAYER].window && Companions[COMPANION_METER].window; }));
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_NE(Companions[COMPANION_PLAYER].window, nullptr);
    EXPECT_NE(Companions[COMPANION_METER].window, nullptr);
    EXPECT_EQ(Companions[COMPANION_CLOCK].window, nullptr);
    EXPECT_TRUE(IsChecked(CMD_PLAYER));
    EXPECT_TRUE(IsChecked(CMD_METER));
}

TEST_F(MainWindowTest, VanishedOrHiddenCompanionsAreDroppedBeforeTheMenuShows)
{
    CreateMain();
    SendMessageA(main, WM_COMMAND, CMD_CLOCK, 0);
    SendMessageA(main, WM_COMMAND, CMD_CHANGER, 0);
    SendMessageA(main, WM_COMMAND, CMD_PLAYER, 0);
    HWND clock = Companions[COMPANION_CLOCK].window;
    HWND player = Companions[COMPANION_PLAYER].window;
    ShowWindow(clock, SW_HIDE);
    ShowWindow(player, SW_HIDE);
    DestroyWindow(Companions[COMPANION_CHANGER].window);
    DropStaleCompanions();
    EXPECT_FALSE(IsWindow(clock));
    EXPECT_TRUE(WasSent(player, WM_USER, COMPANION_SAVE_STATE, 1));
    for (int i = 0; i < COMPANION_COUNT; ++i)
        EXPECT_EQ(Companions[i].window, nullptr) << i;
    EXPECT_FALSE(IsChecked(CMD_CHANGER));
    EXPECT_FALSE(IsChecked(CMD_CLOCK));

    // A handle whose window is gone is never handed to DestroyWindow: it may
    // already name some other window.
    SendMessageA(main, WM_COMMAND, CMD_METER, 0);
    DestroyWindow(Companions[COMPANION_METER].window);
    SendMessageA(main, WM_COMMAND, CMD_METER, 0);
    EXPECT_NE(Companions[COMPANION_METER].window, nullptr) << "the command opens a new meter";
    EXPECT_TRUE(IsChecked(CMD_METER));
}

namespace {
bool KeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void MakeKeyWithContent(HKEY root, const char *path)
{
    HKEY key, sub;
    ASSERT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "Pos", 0, REG_SZ, (const BYTE *)"1 2 3", 5);
    RegCreateKeyA(key, "Inner", &sub);
    RegCloseKey(sub);
    RegCloseKey(key);
}
} // namespace

TEST_F(MainWindowTest, ResetCommandsDeleteTheCompanionKeys)
{
    CreateMain();
    const struct {
        int command, companion;
        const char *key;
    } resets[] = {
        {CMD_RESET_PLAYER, COMPANION_PLAYER, PLAYER_REGISTRY_KEY},
        {CMD_RESET_CLOCK, COMPANION_CLOCK, CLOCK_REGISTRY_KEY},
        {CMD_RESET_METER, COMPANION_METER, METER_REGISTRY_KEY},
    };
    for (const auto &r : resets) {
        SCOPED_TRACE(r.key);
        MakeKeyWithContent(root.Key(), r.key);
        SendMessageA(main, WM_COMMAND, r.command, 0);
        EXPECT_FALSE(KeyExists(root.Key(), r.key));
        EXPECT_EQ(Companions[r.companion].window, nullptr) << "a closed companion stays closed";
        EXPECT_TRUE(KeyExists(root.Key(), ZETTLIES_REGISTRY_KEY)) << "only the companion's key";
    }
    SendMessageA(main, WM_COMMAND, CMD_CLOCK, 0);
    HWND before = Companions[COMPANION_CLOCK].window;
    MakeKeyWithContent(root.Key(), CLOCK_REGISTRY_KEY);
    SendMessageA(main, WM_COMMAND, CMD_RESET_CLOCK, 0);
    EXPECT_FALSE(KeyExists(root.Key(), CLOCK_REGISTRY_KEY));
    EXPECT_FALSE(IsWindow(before));
    EXPECT_NE(Companions[COMPANION_CLOCK].window, nullptr) << "an open clock opens again";
    EXPECT_TRUE(IsChecked(CMD_CLOCK));
}

// ---- closing

TEST_F(MainWindowTest, CancelledShutdownLeavesTheSettingsToClose)
{
    CreateMain();
    SendMessageA(main, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(StoredInfo(), "");
    ZettlyInfo.latchDistance = 77;
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(StoredInfo().rfind("1 77 ", 0), 0u) << StoredInfo();
}

TEST_F(MainWindowTest, SessionEndWritesTheSettingsOnce)
{
    CreateMain();
    SendMessageA(main, WM_COMMAND, CMD_CLOCK, 0);
    SendMessageA(main, WM_ENDSESSION, TRUE, 0);
    std::string written = StoredInfo();
    ASSERT_NE(written, "");
    ZettlyInfoSettings read;
    SetDefaultInfoSettings(&read);
    ParseZettlyInfo(written.c_str(), written.size(), &read);
    EXPECT_NE(read.clockOpen, 0);
    EXPECT_EQ(read.playerOpen, 0);

    StoreSettings("untouched");
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(StoredInfo(), "untouched");
    EXPECT_EQ(Companions[COMPANION_CLOCK].window, nullptr) << "close still closes the companions";
}

TEST_F(MainWindowTest, CloseRecordsOpenCompanionsThenClosesThem)
{
    CreateMain();
    int slot = NewNote();
    HWND note = ZettlyTable[slot].window;
    SendMessageA(main, WM_COMMAND, CMD_PLAYER, 0);
    SendMessageA(main, WM_COMMAND, CMD_METER, 0);
    HWND player = Companions[COMPANION_PLAYER].window;
    SendMessageA(main, WM_CLOSE, 0, 0);
    ZettlyInfoSettings read;
    SetDefaultInfoSettings(&read);
    std::string written = StoredInfo();
    ParseZettlyInfo(written.c_str(), written.size(), &read);
    EXPECT_EQ(read.playerOpen, 1);
    EXPECT_EQ(read.meterOpen, 1);
    EXPECT_EQ(read.clockOpen, 0);
    EXPECT_TRUE(WasSent(player, WM_USER, COMPANION_SAVE_STATE, 1));
    EXPECT_FALSE(IsWindow(player));
    EXPECT_FALSE(IsWindow(note)) << "the main window takes the notes with it";
    EXPECT_EQ(ZettlyTable[slot].window, nullptr);
    EXPECT_EQ(MainWindow, nullptr);
}

namespace {
// Every file a save makes fails with the error while this lives.
struct FailingSaves {
    explicit FailingSaves(DWORD error) { SetNotesFileWriteFault(error); }
    ~FailingSaves() { SetNotesFileWriteFault(0); }
};

std::string FileBytes(const char *name)
{
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    return ReadFileBytes(std::string(folder) + "\\" + name);
}

// The user frees space when the question comes and tries again.
int SpaceFreedTryAgain(HWND, const char *, const char *, UINT)
{
    SetNotesFileWriteFault(0);
    return IDTRYAGAIN;
}
} // namespace

TEST_F(MainWindowTest, FailedSaveAtQuitAsksAndKeepsEverythingUntilTheUserChooses)
{
    CreateMain();
    HWND edit = ZettlyTable[NewNote()].editWindow;
    SetWindowTextA(edit, "saved words");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    const char *names[] = {"zettly.rec", "zettly.str", "zettly_chklist.str", "zettly.ok"};
    std::string good[4];
    for (int i = 0; i < 4; ++i)
        good[i] = FileBytes(names[i]);
    SetWindowTextA(edit, "words typed since");
    {
        FailingSaves full(ERROR_DISK_FULL);
        boxes.QueueAnswer(IDCANCEL); // stay
        SendMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindow(main));
        EXPECT_TRUE(IsWindow(edit));
        ASSERT_EQ(CountBoxes(SAVE_FAILED_CAPTION), 1);
        const MessageBoxRecorder::Box &box = boxes.Boxes().back();
        EXPECT_EQ(box.type, (UINT)(MB_CANCELTRYCONTINUE | MB_ICONHAND | MB_DEFBUTTON1));
        EXPECT_NE(box.text.find("the disk is full"), std::string::npos) << box.text;
        EXPECT_NE(box.text.find("last good save is intact"), std::string::npos) << box.text;
    }
    {
        // Tried again while the folder is still closed to us, then given up.
        FailingSaves denied(ERROR_ACCESS_DENIED);
        boxes.QueueAnswer(IDTRYAGAIN);
        boxes.QueueAnswer(IDCONTINUE);
        SendMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(main));
        ASSERT_EQ(CountBoxes(SAVE_FAILED_CAPTION), 3) << "no further box at the destruction";
        EXPECT_NE(boxes.Boxes().back().text.find("access to the data folder is denied"),
                  std::string::npos);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(FileBytes(names[i]), good[i]) << names[i] << ": the last good set stays";
    EXPECT_NE(StoredInfo(), "") << "the settings were written by the quit";
}

TEST_F(MainWindowTest, TryAgainAtQuitSavesOnceTheCauseIsGone)
{
    CreateMain();
    SetWindowTextA(ZettlyTable[NewNote()].editWindow, "kept after all");
    FailingSaves full(ERROR_DISK_FULL);
    MessageBoxHook recorder = SetMessageBoxHook(SpaceFreedTryAgain);
    SendMessageA(main, WM_CLOSE, 0, 0);
    SetMessageBoxHook(recorder);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_NE(FileBytes("zettly.str").find("kept after all"), std::string::npos);
}

// The program's own main window: its process ends with the loop. The notes
// are saved and left to that end, except one whose end reaches outside the
// process.
TEST_F(MainWindowTest, ProgramQuitLeavesTheNotesToTheProcessEndButEndsAConsoleNote)
{
    MainWindowStart start = {TRUE};
    main = CreateWindowExA(0, ZETTLIES_MAIN_CLASS, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                           GetDesktopWindow(), nullptr, GetModuleHandleA(nullptr), &start);
    ASSERT_NE(main, nullptr);
    int plain = NewNote(), console = NewNote();
    HWND plainNote = ZettlyTable[plain].window, consoleNote = ZettlyTable[console].window;
    SetWindowTextA(ZettlyTable[plain].editWindow, "saved at quit");
    ZettlyTable[console].consoleMode = 1;
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_NE(StoredInfo(), "") << "the settings were written";
    EXPECT_NE(FileBytes("zettly.str").find("saved at quit"), std::string::npos);
    EXPECT_FALSE(IsWindow(consoleNote)) << "its end stops its interpreter";
    EXPECT_TRUE(IsWindow(plainNote)) << "left to the process's end";
    EXPECT_EQ(ZettlyTable[plain].window, plainNote) << "whole until then";
}

// A full disk or a folder closed to new files: nothing new can be written
// then, yet the next start must say why the session's changes are gone.
TEST_F(MainWindowTest, FailedSaveAtSessionEndKeepsTheLastGoodSetAndTheNextStartSaysWhy)
{
    const std::pair<DWORD, const char *> causes[] = {
        {ERROR_DISK_FULL, "the disk is full"},
        {ERROR_ACCESS_DENIED, "access to the data folder is denied"}};
    for (const auto &cause : causes) {
        CreateMain();
        HWND edit = ZettlyTable[NewNote()].editWindow;
        SetWindowTextA(edit, "saved words");
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        std::string records = FileBytes("zettly.rec"), texts = FileBytes("zettly.str");
        SetWindowTextA(edit, "words typed since");
        {
            FailingSaves failing(cause.first);
            EXPECT_TRUE(SendMessageA(main, WM_QUERYENDSESSION, 0, 0));
            SendMessageA(main, WM_ENDSESSION, TRUE, 0);
            EXPECT_EQ(CountBoxes(SAVE_FAILED_CAPTION), 0) << "nobody is there to answer";
        }
        DestroyWindow(main); // the end of the session's process: no second save
        EXPECT_EQ(FileBytes("zettly.rec"), records);
        EXPECT_EQ(FileBytes("zettly.str"), texts);
        EXPECT_NE(FileBytes("zettly.ok"), "<missing>");

        size_t before = boxes.Boxes().size();
        for (int start = 0; start < 2; ++start) {
            CreateMain();
            ASSERT_NE(ZettlyTable[0].window, nullptr);
            char text[64] = {};
            GetWindowTextA(ZettlyTable[0].editWindow, text, sizeof text);
            EXPECT_STREQ(text, "saved words");
            for (int slot = 0; start == 1 && ZettlyTable[slot].window; ++slot)
                DestroyWindow(ZettlyTable[slot].window); // the next round starts empty
            DestroyWindow(main);
        }
        ASSERT_EQ(boxes.Boxes().size(), before + 1) << cause.second << ": told once";
        const MessageBoxRecorder::Box &box = boxes.Boxes().back();
        EXPECT_EQ(box.caption, UNSAVED_SESSION_CAPTION);
        EXPECT_NE(box.text.find(cause.second), std::string::npos) << box.text;
    }
}

// ---- timers

TEST_F(MainWindowTest, AutoSaveWritesTheSettings)
{
    CreateMain();
    SendMessageA(main, WM_TIMER, TIMER_AUTOSAVE, 0);
    EXPECT_NE(StoredInfo(), "");
}

TEST_F(MainWindowTest, SavePeriodChangeRestartsTheTimer)
{
    CreateMain();
    ZettlyInfo.autoSavePeriod = 0;
    SendMessageA(main, WM_USER, MAIN_SAVE_PERIOD_CHANGED, 0);
    EXPECT_FALSE(KillTimer(main, TIMER_AUTOSAVE)) << "no auto-save at period 0";
    ZettlyInfo.autoSavePeriod = 120000;
    SendMessageA(main, WM_USER, MAIN_SAVE_PERIOD_CHANGED, 0);
    EXPECT_TRUE(KillTimer(main, TIMER_AUTOSAVE));
    EXPECT_TRUE(KillTimer(main, TIMER_ALARMS));
}

TEST_F(MainWindowTest, NoAutoSaveTimerAtPeriodZero)
{
    StoreSettings("1 10 1 0 1 3 1 1 0 1 1 0 0 137 0 0 0 0 0 1 0 0 16777215 0");
    CreateMain();
    EXPECT_FALSE(KillTimer(main, TIMER_AUTOSAVE));
    SendMessageA(main, WM_COMMAND, CMD_INFO, 0);
    ASSERT_EQ(CountBoxes("Zettly Information"), 1);
    EXPECT_NE(boxes.Boxes().back().text.find(": 0 minutes (Not Active)\r\n"), std::string::npos);
}

// ---- utilities

TEST_F(MainWindowTest, InformationBoxNamesTheDataFolderAndLastSave)
{
    std::string record = data.Path() + "\\zettly.rec";
    HANDLE file = CreateFileA(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when = {2025, 2, 0, 14, 8, 30, 15, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&when, &local);
    LocalFileTimeToFileTime(&local, &utc);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);

    CreateMain();
    NewNote();
    NewNote();
    SendMessageA(main, WM_COMMAND, CMD_INFO, 0);
    ASSERT_EQ(CountBoxes("Zettly Information"), 1);
    const std::string &text = boxes.Boxes().back().text;
    EXPECT_NE(text.find("\\zettly.rec\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("08:30.15\t14/(02)February/2025"), std::string::npos) << text;
    EXPECT_NE(text.find("(2/255)\t0%"), std::string::npos) << text;
}

TEST_F(MainWindowTest, NukeDestroysEveryNoteOnlyOnYes)
{
    CreateMain();
    NewNote();
    NewNote();
    boxes.QueueAnswer(IDNO);
    SendMessageA(main, WM_COMMAND, CMD_NUKE, 0);
    EXPECT_EQ(UsedSlots(), 2);
    boxes.QueueAnswer(IDYES);
    SendMessageA(main, WM_COMMAND, CMD_NUKE, 0);
    EXPECT_EQ(UsedSlots(), 0);
    EXPECT_EQ(CountBoxes("Nuke'em all"), 2);
}

TEST_F(MainWindowTest, HideAllAsksShownNotesShowAllShowsHiddenOnes)
{
    CreateMain();
    for (int i = 0; i < 3; ++i)
        NewNote();
    ZettlyTable[1].showCommand = 0;
    ShowWindow(ZettlyTable[1].window, SW_HIDE);
    for (int i = 0; i < 3; ++i)
        RecordCommandsOf(ZettlyTable[i].window);
    SendMessageA(main, WM_COMMAND, CMD_HIDE_ALL, 0);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_TRUE(WasSent(ZettlyTable[0].window, WM_COMMAND, CMD_HIDE_ZETTLY, 0));
    EXPECT_FALSE(WasSent(ZettlyTable[1].window, WM_COMMAND, CMD_HIDE_ZETTLY, 0));
    EXPECT_TRUE(WasSent(ZettlyTable[2].window, WM_COMMAND, CMD_HIDE_ZETTLY, 0));

    SendMessageA(main, WM_COMMAND, CMD_SHOW_ALL, 0);
    EXPECT_EQ(ZettlyTable[1].showCommand, 1);
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[1].window));
}

TEST_F(MainWindowTest, JumpUnrollsARolledNoteAndItsGroup)
{
    CreateMain();
    int group = (int)SendMessageA(main, WM_COMMAND, CMD_NEW_GROUP, 0);
    int slot = NewNote();
    ASSERT_GE(group, 0);
    ASSERT_GE(slot, 0);
    ZettlyTable[slot].rolledUp = 1;
    ZettlyTable[slot].isMember = 1;
    ZettlyTable[slot].groupSlot = group;
    ZettlyTable[group].rolledUp = 1;
    RecordCommandsOf(ZettlyTable[slot].window);
    SendMessageA(main, WM_COMMAND, CMD_JUMP_FIRST + slot, 0);
    EXPECT_TRUE(WasSent(ZettlyTable[slot].window, WM_COMMAND, CMD_ROLL_ZETTLY, 0));
    SendMessageA(main, WM_COMMAND, CMD_JUMP_FIRST + 200, 0); // no note there: nothing happens
}

TEST_F(MainWindowTest, RealignStacksNotesAsTitleStripsKeepingTheirSize)
{
    CreateMain();
    const RECT places[] = {{-500, -400, -300, -300}, {3000, 100, 3150, 400}, {50, 2000, 250, 2100}};
    int heights[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(NewNote(), i);
        const RECT &p = places[i];
        MoveWindow(ZettlyTable[i].window, p.left, p.top, p.right - p.left, p.bottom - p.top, FALSE);
        heights[i] = p.bottom - p.top;
    }
    boxes.QueueAnswer(IDNO);
    SendMessageA(main, WM_COMMAND, CMD_REALIGN, 0);
    RECT r;
    GetWindowRect(ZettlyTable[0].window, &r);
    EXPECT_EQ(r.left, -500) << "No leaves the notes where they are";

    boxes.QueueAnswer(IDYES);
    SendMessageA(main, WM_COMMAND, CMD_REALIGN, 0);
    int lastTop = -1;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ZettlyRecord &z = ZettlyTable[i];
        GetWindowRect(z.window, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_GT(r.top, lastTop);
        lastTop = r.top;
        EXPECT_EQ(z.rolledUp, 1);
        EXPECT_EQ(z.windowRect.top, r.top);
        EXPECT_EQ(z.windowRect.bottom - z.windowRect.top, heights[i])
            << "the stored rectangle keeps the unrolled height at the new place";
        EXPECT_EQ(z.unrolledRect.top, r.top);
        EXPECT_EQ(z.unrolledRect.bottom - z.unrolledRect.top, heights[i]);
        EXPECT_TRUE(IsWindowVisible(z.window));
    }
}

TEST_F(MainWindowTest, FixUnlinkedFreesMembersWhoseGroupIsGone)
{
    CreateMain();
    int group = (int)SendMessageA(main, WM_COMMAND, CMD_NEW_GROUP, 0);
    int linked = NewNote();
    int lost = NewNote();
    int orphan = NewNote();
    ZettlyTable[linked].isMember = 1;
    ZettlyTable[linked].groupSlot = group;
    ZettlyTable[lost].isMember = 1;
    ZettlyTable[lost].groupSlot = 300;
    ZettlyTable[orphan].isMember = 1;
    ZettlyTable[orphan].groupSlot = 120; // a free slot: no group there
    MoveWindow(ZettlyTable[lost].window, 900, 700, 200, 50, FALSE);
    boxes.QueueAnswer(IDYES);
    SendMessageA(main, WM_COMMAND, CMD_FIX_UNLINKED, 0);
    EXPECT_EQ(CountBoxes("Fix Unlinked Zettly Windows"), 1);
    EXPECT_EQ(ZettlyTable[linked].isMember, 1);
    EXPECT_EQ(ZettlyTable[linked].groupSlot, group);
    for (int slot : {lost, orphan}) {
        EXPECT_EQ(ZettlyTable[slot].isMember, 0);
        EXPECT_EQ(ZettlyTable[slot].groupSlot, 0);
    }
    RECT r;
    GetWindowRect(ZettlyTable[lost].window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
}

TEST_F(MainWindowTest, OnlyOnePreferencesDialogAndCommandsOutsideTheTableAreIgnored)
{
    CreateMain();
    PrefsDialog.open = 1;
    SendMessageA(main, WM_COMMAND, CMD_DEFAULT_PREFS, 0);
    PrefsDialog.open = 0;
    EXPECT_EQ(CountBoxes("Preference Open Error"), 1);
    EXPECT_EQ(SendMessageA(main, WM_COMMAND, 20999, 0), 0);
    EXPECT_EQ(SendMessageA(main, WM_USER, MAIN_SHORTCUT, 8), 0);
    SendMessageA(main, WM_USER, MAIN_START_ALARM_SOUND, 9999); // out of range: ignored
    EXPECT_EQ(UsedSlots(), 0);
}

TEST_F(MainWindowTest, DefaultPreferencesBringTheGlobalTransparencyToEveryOpenNote)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    CreateMain();
    int a = NewNote(), b = NewNote();
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ModalDialogAnswerer answer([](HWND dialog) {
        CheckDlgButton(dialog, IDC_PREFS_ALL_TRANSPARENT, BST_CHECKED);
        SendDlgItemMessageA(dialog, IDC_PREFS_ALL_ALPHA, TBM_SETPOS, TRUE, 150);
        SendMessageA(dialog, WM_COMMAND, IDC_PREFS_OK, 0);
    });
    SendMessageA(main, WM_COMMAND, CMD_DEFAULT_PREFS, 0);
    ASSERT_EQ(answer.Count(), 1);
    for (int slot : {a, b}) {
        HWND note = ZettlyTable[slot].window;
        BYTE alpha = 0;
        ASSERT_TRUE(GetWindowLongPtrA(note, GWL_EXSTYLE) & WS_EX_LAYERED) << "slot " << slot;
        ASSERT_TRUE(GetLayeredWindowAttributes(note, nullptr, &alpha, nullptr));
        EXPECT_EQ(alpha, 150) << "slot " << slot;
    }
}
