// The dialog that sets a note's alarm, opened from the note's menu.
#pragma once
#include <windows.h>

#include "alarm_ids.h"

// Dialog 1000 (IDD_SET_ALARM), parameter the note slot. Ends with 1 after
// Save Settings, 0 after Cancel or closing.
INT_PTR CALLBACK SetAlarmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The note menu's "Set Alarm": runs dialog 1000 for the slot, owned by owner.
// Returns the dialog's result (1 stored, 0 cancelled, -1 not shown).
INT_PTR SetAlarmDialog(HWND owner, int slot);
