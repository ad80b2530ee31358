// Alarms of the notes: the minute check, the start-up check and the reminder
// with its sound and blink threads.
#pragma once
#include <windows.h>

#include "core/note_window/alarm_ids.h"

// Timer 0 of the main window, once a minute.
void CheckAlarms(void);
// After the notes are loaded: reminders for alarms that fell due while the
// program was not running, and for those whose reminder was open at the last save.
void CheckMissedAlarms(void);
// Last write time of "zettly.rec" in the current directory, as local time. 0 or -1.
int GetRecordFileTime(SYSTEMTIME *out);
// "Date ...  Time ..." for the slot's alarm today; buffer of at least 64 bytes.
void FormatAlarmDateTime(char *buffer, size_t bufferSize, int slot);

// The reminder's thread: parameter (day << 16) | slot; runs dialog 2000.
DWORD WINAPI AlarmDispThread(LPVOID parameter);
INT_PTR CALLBACK AlarmReminderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Started by the main window on WM_USER 101 and 102 with the slot.
DWORD WINAPI AlarmSndPlaybackThread(LPVOID slot);
DWORD WINAPI AlarmBlinkZettlyThread(LPVOID slot);
