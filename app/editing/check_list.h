// The check list that sits beside a note: dialog 164 with a list view of
// items, a strip button that collapses it against the note and a close
// button. Created by the note window (CreateCheckList, core/editing_features.h).
#pragma once
#include <windows.h>

#include "core/editing_features.h"

INT_PTR CALLBACK CheckListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
