#include "alarms.h"

#include <cstdint>

#include <mmsystem.h>

#include "core/note_window/alarm_blink.h"
#include "core/notes_table/alarm_rules.h"
#include "clock_seam.h"
#include "core/core_ids.h"
#include "core/notes_table/data_folder.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/note_window.h"
#include "main_window_state.h"
#include "sound_seam.h"

static AlarmClock ClockOf(const SYSTEMTIME &t)
{
    return AlarmClock{t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute};
}

static AlarmClock LocalClock(void)
{
    SYSTEMTIME now;
    ZtGetLocalTime(&now);
    return ClockOf(now);
}

// The reminder is marked open before its thread starts, so no later check can
// open a second one for the note while the thread is on its way.
static void StartReminder(int slot, int day)
{
    ZettlyTable[slot].alarmPending = 1;
    LPVOID parameter = (LPVOID)(uintptr_t)PackReminder(slot, day);
    HANDLE thread = CreateThread(nullptr, WORKER_STACK_BYTES, AlarmDispThread, parameter, 0, nullptr);
    if (!thread) {
        ZettlyTable[slot].alarmPending = 0;
        return;
    }
    CloseHandle(thread);
}

// The minute the checks last looked at is the main window's, whose timer
// makes them; both run on its thread only. Without the window nothing is kept.
static void NoteLastCheck(const AlarmClock &now)
{
    if (MainWindowState *s = MainStateOf(MainWindow)) {
        s->alarmsChecked = TRUE;
        s->lastAlarmCheck = now;
    }
}

void CheckAlarms(void)
{
    AlarmClock now = LocalClock();
    const MainWindowState *s = MainStateOf(MainWindow);
    const AlarmClock *last = s && s->alarmsChecked ? &s->lastAlarmCheck : nullptr;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        const ZettlyRecord *z = &ZettlyTable[slot];
        int day;
        if (z->window && z->alarmActive && !z->alarmPending && AlarmDueSince(z, last, now, &day))
            StartReminder(slot, day);
    }
    NoteLastCheck(now);
}

void CheckMissedAlarms(void)
{
    AlarmClock now = LocalClock();
    SYSTEMTIME savedTime;
    // Without the time of the last save only this minute can be looked at;
    // the reminders that were open at that save still come back.
    AlarmClock saved = GetRecordFileTime(&savedTime) == 0 ? ClockOf(savedTime) : now;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        ZettlyRecord *z = &ZettlyTable[slot];
        if (z->alarmPending) {
            z->alarmPending = 0;
            if (z->window && z->alarmActive)
                StartReminder(slot, z->alarmWeekdays ? saved.dayOfWeek : saved.day);
            continue;
        }
        int day;
        if (z->window && z->alarmActive && AlarmMissedBetween(z, saved, now, &day))
            StartReminder(slot, day);
    }
    // The minute check carries on from here, so what was looked at now is not
    // looked at again by the next tick.
    NoteLastCheck(now);
}

int GetRecordFileTime(SYSTEMTIME *out)
{
    ZeroMemory(out, sizeof *out);
    char path[MAX_PATH];
    if (DataFolderPath("zettly.rec", path, sizeof path) != 0)
        return -1;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    // Local time as it was on the day of the save: converting with today's
    // daylight-saving bias puts a summer save an hour off in winter, and the
    // alarms of that hour would be reported a second time.
    FILETIME written;
    SYSTEMTIME utc;
    BOOL ok = GetFileTime(file, nullptr, nullptr, &written) && FileTimeToSystemTime(&written, &utc) &&
              SystemTimeToTzSpecificLocalTime(nullptr, &utc, out);
    CloseHandle(file);
    if (!ok) {
        ZeroMemory(out, sizeof *out);
        return -1;
    }
    return 0;
}

void FormatAlarmDateTime(char *buffer, size_t bufferSize, int slot)
{
    if (slot < 0 || slot >= ZETTLY_SLOTS) {
        if (buffer && bufferSize)
            buffer[0] = 0;
        return;
    }
    FormatAlarmText(buffer, bufferSize, &ZettlyTable[slot], LocalClock());
}

DWORD WINAPI AlarmDispThread(LPVOID parameter)
{
    OutputDebugStringA("3) Starting AlarmDispThread\n");
    uint32_t packed = (uint32_t)(uintptr_t)parameter;
    int slot = ReminderSlot(packed);
    HWND note = slot <= ZETTLY_LAST_NOTE_SLOT ? ZettlyTable[slot].window : nullptr;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ALARM_REMINDER),
                                     MainWindow, AlarmReminderDlgProc, (LPARAM)packed);
    // A reminder that never showed must not keep its note's alarm silent.
    if (result != 1 && note && ZettlyTable[slot].window == note)
        ZettlyTable[slot].alarmPending = 0;
    OutputDebugStringA("3) Ending AlarmDispThread\n");
    return 0;
}

static int ThreadSlot(LPVOID parameter)
{
    intptr_t slot = (intptr_t)parameter;
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT ? (int)slot : -1;
}

// soundPlaying is raised by whoever asks for the thread, before asking: a
// dismiss that comes before the thread starts then keeps it silent. The
// thread never lowers it: a reminder back from a short snooze may already
// have raised it again for the next thread while this one was finishing.
DWORD WINAPI AlarmSndPlaybackThread(LPVOID parameter)
{
    int slot = ThreadSlot(parameter);
    if (slot < 0)
        return 0;
    OutputDebugStringA("2) Starting AlarmSndPlaybackThread\n");
    ZettlyRecord *z = &ZettlyTable[slot];
    int repeats = z->alarmRepeats;
    for (int i = 0; i < repeats && z->soundPlaying; ++i)
        if (ZettlyInfo.soundEffects)
            PlayDataFolderSound(ZettlySounds.alarm, 0);
    ZtPlaySound(nullptr, SND_ASYNC | SND_PURGE);
    OutputDebugStringA("2) Ending AlarmSndPlaybackThread\n");
    return 0;
}

enum { BLINK_PERIOD_MS = 500 };

// blinking is raised by the reminder before it asks for the thread, as soundPlaying.
DWORD WINAPI AlarmBlinkZettlyThread(LPVOID parameter)
{
    int slot = ThreadSlot(parameter);
    if (slot < 0)
        return 0;
    OutputDebugStringA("1) Starting AlarmBlinkZettlyThread\n");
    ZettlyRecord *z = &ZettlyTable[slot];
    HWND note = z->window;
    // A thread still in its pause when the next one starts for the slot stops
    // there: two threads would flip the phase out of step, and this one's last
    // step would leave the next one's note in the wrong colour.
    uint32_t turn = TakeBlinkTurn(slot);
    bool background = true;
    while (note && z->blinking && z->window == note && IsWindow(note) &&
           SetBlinkShowsBackground(slot, turn, background)) {
        background = !background;
        InvalidateRect(note, nullptr, TRUE);
        ZtPause(BLINK_PERIOD_MS);
    }
    if (SetBlinkShowsBackground(slot, turn, false) && note && IsWindow(note))
        InvalidateRect(note, nullptr, TRUE);
    OutputDebugStringA("1) Ending AlarmBlinkZettlyThread\n");
    return 0;
}
