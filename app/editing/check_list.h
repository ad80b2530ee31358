// The check list that sits beside a note: dialog 164 with a list view of
// items, a strip button that collapses it against the note and a close
// button. Created by the note window.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

INT_PTR CALLBACK CheckListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The check-list dialog for the note, or null.
HWND CreateCheckList(HWND owner, int slot);
// Appends the items of one list in the item stream form (as the check-list
// file holds them, up to the list's ending NUL). 0, or -1 when the list is
// cut off or damaged (the items before the damage are kept).
int ReadCheckListItems(HWND list, const uint8_t *bytes, size_t size);
