#include "main_window.h"

#include <cstdio>
#include <cstring>

#include "alarms.h"
#include "companions.h"
#include "core/core_ids.h"
#include "core/window_block.h"
#include "keylatch.h"
#include "main_commands.h"
#include "main_window_state.h"
#include "zettlies_files.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/notes_file_ids.h"
#include "core/notes_table/registry_settings.h"
#include "tray_icon.h"
#include "tray_menu.h"
#include "ui_seams.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

MainWindowState *MainStateOf(HWND window)
{
    return window ? (MainWindowState *)WindowBlock(window) : nullptr;
}

BOOL KeyboardHookActive(void)
{
    MainWindowState *s = MainStateOf(MainWindow);
    return s && s->keyboardHookInstalled;
}

void SetKeyboardHook(BOOL on)
{
    MainWindowState *s = MainStateOf(MainWindow);
    if (!s)
        return;
    if (on && !s->keyboardHookInstalled) {
        s->keyboardHookInstalled = KB_InstallHook(MainWindow) == 0;
        ZettlyInfo.keyboardHook = s->keyboardHookInstalled ? 1 : 0;
    } else if (!on && s->keyboardHookInstalled) {
        KB_RemoveHook();
        s->keyboardHookInstalled = FALSE;
        ZettlyInfo.keyboardHook = 0;
    }
}

static void StartWorker(LPTHREAD_START_ROUTINE routine, LPVOID parameter)
{
    HANDLE thread = CreateThread(nullptr, WORKER_STACK_BYTES, routine, parameter, 0, nullptr);
    if (thread)
        CloseHandle(thread);
}

static void StartAutoSaveTimer(HWND window, MainWindowState *s, int period)
{
    s->autoSavePeriodInForce = period;
    if (period > 0)
        SetTimer(window, TIMER_AUTOSAVE, (UINT)period, nullptr);
}

static int OnMainCreate(HWND window, MainWindowState *s, const CREATESTRUCTA *cs)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZETTLIES));
    MainWindow = window;
    const MainWindowStart *start = cs ? (const MainWindowStart *)cs->lpCreateParams : nullptr;
    s->processEndsWithLoop = start && start->processEndsWithLoop;
    s->quickPickSlot = -1;
    std::memset(ZettlyTable, 0, sizeof(ZettlyRecord) * (ZETTLY_LAST_NOTE_SLOT + 1));
    ResetDefaultSettings();
    int reopen[COMPANION_COUNT] = {};
    LoadSettings(&reopen[COMPANION_PLAYER], &reopen[COMPANION_CLOCK], &reopen[COMPANION_CHANGER],
                 &reopen[COMPANION_METER]);
    s->keyboardHookInstalled = ZettlyInfo.keyboardHook && KB_InstallHook(window) == 0;

    SetTimer(window, TIMER_ALARMS, ALARM_CHECK_PERIOD_MS, nullptr);
    StartAutoSaveTimer(window, s, ZettlyInfo.autoSavePeriod);

    AddTrayIcon(window);
    BuildTrayMenus();
    LoadZettlies();
    // Posted, so they open once the loop runs, in the order they always have.
    const Companion order[] = {COMPANION_PLAYER, COMPANION_CLOCK, COMPANION_CHANGER,
                               COMPANION_METER};
    for (Companion which : order)
        if (reopen[which])
            PostMessageA(window, WM_COMMAND, Companions[which].command, 0);

    SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)icon);
    return 0;
}

static void SaveSettingsWithCompanions(void)
{
    SaveSettings(IsWindow(Companions[COMPANION_PLAYER].window) ? 1 : 0,
                 IsWindow(Companions[COMPANION_CLOCK].window) ? 1 : 0,
                 IsWindow(Companions[COMPANION_CHANGER].window) ? 1 : 0,
                 IsWindow(Companions[COMPANION_METER].window) ? 1 : 0);
}

static void CloseAllCompanions(void)
{
    const Companion order[] = {COMPANION_PLAYER, COMPANION_CHANGER, COMPANION_CLOCK,
                               COMPANION_METER};
    for (Companion which : order)
        CloseCompanion(which);
}

// Saves the notes before anything closes. When that fails, the user decides:
// try again, quit without the changes (the last good save stays as it is) or
// stay, which keeps everything open. TRUE: go on quitting.
static BOOL SaveNotesBeforeQuit(HWND window)
{
    for (;;) {
        if (SaveZettlies(nullptr) == 0) {
            TellSavedAside(window);
            return TRUE;
        }
        char cause[160], text[720];
        std::snprintf(text, sizeof text, QUIT_SAVE_FAILED, LastSaveFailure(cause, sizeof cause));
        int answer = ZtMessageBox(window, text, SAVE_FAILED_CAPTION,
                                  MB_CANCELTRYCONTINUE | MB_ICONHAND | MB_DEFBUTTON1);
        if (answer != IDTRYAGAIN)
            return answer == IDCONTINUE;
    }
}

// FALSE: the user chose to stay, and the window is not to be destroyed.
static BOOL OnMainClose(HWND window, MainWindowState *s)
{
    if (!s->settingsWritten) {
        SaveSettingsWithCompanions();
        s->settingsWritten = TRUE;
    }
    if (!s->notesSettled) {
        if (!SaveNotesBeforeQuit(window)) {
            // Written again, as they stand then, by the quit that comes later.
            s->settingsWritten = FALSE;
            return FALSE;
        }
        s->notesSettled = TRUE;
    }
    CloseAllCompanions();
    return TRUE;
}

// Nobody can answer a question now: the save is tried here and once more at
// WM_ENDSESSION when it fails.
static void OnMainQueryEndSession(MainWindowState *s)
{
    if (s->notesSettled || s->destroying)
        return;
    s->sessionSaveTried = TRUE;
    s->sessionSaved = SaveZettlies(nullptr) == 0;
}

// A shutdown that another program cancelled ends nothing: the settings are
// left for the WM_CLOSE that will still come. When the notes cannot be saved
// the last good set stays as it is, and the next start says why the
// session's changes are gone.
static void OnMainEndSession(HWND window, MainWindowState *s, BOOL ending)
{
    if (!ending) {
        s->sessionSaveTried = s->sessionSaved = FALSE;
        return;
    }
    if (!s->settingsWritten) {
        SaveSettings(Companions[COMPANION_PLAYER].window != nullptr,
                     Companions[COMPANION_CLOCK].window != nullptr,
                     Companions[COMPANION_CHANGER].window != nullptr,
                     Companions[COMPANION_METER].window != nullptr);
        s->settingsWritten = TRUE;
    }
    if (s->notesSettled || s->destroying)
        return;
    s->notesSettled = TRUE;
    bool saved = SaveZettlies(nullptr) == 0;
    if (!saved && !s->sessionSaveTried)
        saved = SaveZettlies(nullptr) == 0;
    if (!saved && !s->sessionSaved)
        RecordUnsavedSession();
}

static void OnMainDestroy(HWND window, MainWindowState *s)
{
    if (s->destroying) {
        PostQuitMessage(0);
        return;
    }
    s->destroying = TRUE;
    KillTimer(window, TIMER_AUTOSAVE);
    KillTimer(window, TIMER_ALARMS);
    if (!s->notesSettled) {
        if (SaveZettlies(nullptr) == 0) {
            TellSavedAside(window);
        } else {
            TellSaveFailure(window);
        }
    }
    DeleteTrayIcon(window);
    DestroyTrayMenus();
    CloseAllCompanions();
    if (s->keyboardHookInstalled) {
        KB_RemoveHook();
        s->keyboardHookInstalled = FALSE;
    }
    if (s->processEndsWithLoop) {
        // The notes are saved and nothing else waits for them. Those left
        // keep their slots, fonts and brushes to the end, so that a message
        // still handed to one before the loop ends finds it whole.
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (NoteEndReachesOutside(slot))
                DestroyWindow(ZettlyTable[slot].window);
    } else {
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window)
                DestroyWindow(ZettlyTable[slot].window);
        ReleaseAllZettlies();
    }
    CloseZettlyFileSet();
    MainWindow = nullptr;
    PostQuitMessage(0);
}

static void OnAutoSave(HWND window, MainWindowState *s)
{
    if (s->destroying)
        return;
    SaveSettingsWithCompanions();
    StartSaveThread(window);
}

static void OnMainTimer(HWND window, MainWindowState *s, UINT_PTR id)
{
    if (id == TIMER_ALARMS)
        CheckAlarms();
    else if (id == TIMER_AUTOSAVE)
        OnAutoSave(window, s);
}

static void OnSavePeriodChanged(HWND window, MainWindowState *s)
{
    if (ZettlyInfo.autoSavePeriod == s->autoSavePeriodInForce)
        return;
    KillTimer(window, TIMER_AUTOSAVE);
    StartAutoSaveTimer(window, s, ZettlyInfo.autoSavePeriod);
}

// WM_USER: FALSE when the code is none of ours.
static BOOL OnMainUser(HWND window, MainWindowState *s, WPARAM code, LPARAM lParam)
{
    switch (code) {
    case MAIN_START_ALARM_SOUND:
    case MAIN_START_ALARM_BLINK:
        // Anyone can post to a window: a slot from outside is checked like any other input.
        if (lParam < 0 || lParam > ZETTLY_LAST_NOTE_SLOT)
            return TRUE;
        StartWorker(code == MAIN_START_ALARM_SOUND ? AlarmSndPlaybackThread
                                                   : AlarmBlinkZettlyThread,
                    (LPVOID)lParam);
        return TRUE;
    case MAIN_SAVE_PERIOD_CHANGED:
        OnSavePeriodChanged(window, s);
        return TRUE;
    case MAIN_SHORTCUT:
        return RunShortcut(window, (int)lParam);
    }
    return FALSE;
}

// The preferences dialogs of notes and groups reach the hook through here.
static LRESULT OnKeyboardHookMessage(LPARAM wanted)
{
    if (wanted == HOOK_OFF || wanted == HOOK_ON)
        SetKeyboardHook(wanted == HOOK_ON);
    return KeyboardHookActive();
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && !MakeWindowBlock(window, sizeof(MainWindowState)))
        return FALSE;
    if (message == WM_NCDESTROY)
        FreeWindowBlock(window);
    MainWindowState *s = MainStateOf(window);
    if (!s)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        return OnMainCreate(window, s, (const CREATESTRUCTA *)lParam);
    case WM_TIMER:
        OnMainTimer(window, s, wParam);
        return 0;
    case WM_USER:
        if (wParam == MAIN_KEYBOARD_HOOK)
            return OnKeyboardHookMessage(lParam);
        if (OnMainUser(window, s, wParam, lParam))
            return 0;
        break;
    case WM_TRAY_CALLBACK:
        OnTrayCallback(window, (UINT)lParam);
        return 0;
    case WM_COMMAND: {
        LRESULT result = 0;
        if (RunMainCommand(window, LOWORD(wParam), &result))
            return result;
        break;
    }
    case WM_MEASUREITEM:
        if (MeasureTrayItem(window, (MEASUREITEMSTRUCT *)lParam))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawTrayItem((const DRAWITEMSTRUCT *)lParam))
            return TRUE;
        break;
    case WM_CLOSE:
        if (!OnMainClose(window, s))
            return 0;
        break; // DefWindowProc destroys the window
    case WM_QUERYENDSESSION:
        OnMainQueryEndSession(s);
        return TRUE;
    case WM_ENDSESSION:
        OnMainEndSession(window, s, (BOOL)wParam);
        return 0;
    case WM_DESTROY:
        OnMainDestroy(window, s);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
