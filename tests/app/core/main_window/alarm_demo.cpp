// Puts the alarm windows on the screen for a look (not a test). Usage:
// zt_alarm_demo reminder|expanded|pattern|single [seconds]
//   reminder, expanded: a note blinking under its reminder (expanded: with the note's text)
//   pattern, single: the alarm-setting dialog on a repeating or a one-off alarm
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/main_window/alarms.h"
#include "core/note_window/alarm_dialog.h"
#include "core/main_window/main_window.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "sound_seam.h"

static BOOL Silence(const char *, DWORD)
{
    return TRUE;
}

static DWORD Seconds = 8;

static DWORD WINAPI CloseLater(LPVOID caption)
{
    Sleep(Seconds * 1000);
    HWND window = FindWindowA("#32770", (const char *)caption);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(MainWindow, WM_CLOSE, 0, 0);
    return 0;
}

static DWORD WINAPI ExpandSoon(LPVOID)
{
    for (int i = 0; i < 100; ++i) {
        HWND reminder = FindWindowA("#32770", REMINDER_CAPTION);
        if (reminder && IsWindowVisible(reminder)) {
            PostMessageA(reminder, WM_COMMAND, IDC_REMINDER_EXPAND, 0);
            return 0;
        }
        Sleep(50);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    char mode[32] = "reminder";
    if (commandLine && *commandLine)
        lstrcpynA(mode, commandLine, sizeof mode);
    if (char *blank = std::strchr(mode, ' ')) {
        *blank = 0;
        Seconds = (DWORD)std::atoi(blank + 1);
    }
    SetPlaySoundHook(Silence);
    // A data folder of its own, so no notes of an earlier run come back.
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    wsprintfA(folder + lstrlenA(folder), "zt_alarm_demo_%lu", GetTickCount());
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    SetEnvironmentVariableA("APPDATA", folder);
    LoadLibraryA(RICH_EDIT_LIBRARY);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = ZETTLIES_MAIN_CLASS;
    RegisterClassA(&wc);
    RegisterNoteClass(instance);
    RegisterGroupClass(instance);
    RegisterToolTipClass(instance);
    HWND main = CreateWindowExA(0, ZETTLIES_MAIN_CLASS, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
    if (!main)
        return 1;
    ZettlyInfo.soundEffects = 0;
    ZettlyInfo.lineColumnInfo = 0;

    int slot = (int)SendMessageA(main, WM_COMMAND, CMD_NEW_ZETTLY, 0);
    if (slot < 0)
        return 1;
    ZettlyRecord &z = ZettlyTable[slot];
    std::strcpy(z.title, "Dentist");
    // Under the reminder, which opens in the middle of the screen.
    MoveWindow(z.window, 400, 380, 480, 260, TRUE);
    SetWindowTextA(z.editWindow, "Dentist at 3 PM\r\nBring the insurance card\r\nAsk about the bill");
    z.alarmYear = -1;
    z.alarmMonth = -1;
    z.alarmDays = 1 << 1 | 1 << 3;
    z.alarmWeekdays = 1;
    z.alarmHour = 9;
    z.alarmPm = 0;
    z.alarmMinute = 15;
    z.alarmRepeating = 1;
    z.alarmRepeats = 3;
    z.alarmActive = 1;
    z.blinkOn = 1;

    if (!std::strcmp(mode, "reminder") || !std::strcmp(mode, "expanded")) {
        // Due now, whatever the time.
        z.alarmDays = -1;
        z.alarmWeekdays = 0;
        z.alarmHour = -1;
        z.alarmMinute = -1;
        CheckAlarms();
        CloseHandle(CreateThread(nullptr, 0, CloseLater, (LPVOID)REMINDER_CAPTION, 0, nullptr));
        if (!std::strcmp(mode, "expanded"))
            CloseHandle(CreateThread(nullptr, 0, ExpandSoon, nullptr, 0, nullptr));
    } else {
        if (!std::strcmp(mode, "single")) {
            z.alarmYear = 2027;
            z.alarmMonth = 3;
            z.alarmDays = 1 << 13;
            z.alarmWeekdays = 0;
            z.alarmRepeating = 0;
            z.alarmHour = 3;
            z.alarmPm = 1;
        }
        CloseHandle(CreateThread(nullptr, 0, CloseLater, (LPVOID)SET_ALARM_CAPTION, 0, nullptr));
        SetAlarmDialog(z.window, slot);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
