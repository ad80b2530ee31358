// Alarms of the notes: the minute check, the start-up check and the threads
// that play the alarm sound and make a note blink.
#pragma once
#include <windows.h>

void CheckAlarms(void);
void CheckMissedAlarms(void);
// Last write time of "zettly.rec" in the current directory, as local time. 0 or -1.
int GetRecordFileTime(SYSTEMTIME *out);
DWORD WINAPI AlarmSndPlaybackThread(LPVOID slot);
DWORD WINAPI AlarmBlinkZettlyThread(LPVOID slot);
// Dialog 1000, the alarm of the note whose slot is the parameter: 1 saved, 0 cancelled.
INT_PTR CALLBACK SetAlarmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
