// Group windows: notes gathered inside one scrolling window.
#pragma once
#include <windows.h>

void RegisterGroupClass(HINSTANCE instance);
void UnregisterGroupClass(HINSTANCE instance);
LRESULT CALLBACK GroupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sets the group's scroll ranges to cover all of its member notes.
void LayoutGroupScrollBars(int groupSlot);
// Makes the note a member of the group: a child of the group window. 0 / -1;
// on failure the note's group fields stay as they were.
int AttachToGroup(int groupSlot, int noteSlot);
// Takes the note out of its group: a top-level window again, group fields cleared.
void DetachFromGroup(int groupSlot, int noteSlot);
// The re-link dialog for a member whose group was not found; parameter the slot.
INT_PTR CALLBACK RelinkDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
