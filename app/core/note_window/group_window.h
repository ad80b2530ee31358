// Group windows: notes gathered inside one scrolling window.
#pragma once
#include <windows.h>

void RegisterGroupClass(HINSTANCE instance);
void UnregisterGroupClass(HINSTANCE instance);
LRESULT CALLBACK GroupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sets the group's scroll ranges to cover all of its member notes.
void LayoutGroupScrollBars(int groupSlot);
// Makes the note a member of the group: a child of the group window that
// stays where it was on the screen. 0 / -1; on failure the note's group
// fields stay as they were.
int AttachToGroup(int groupSlot, int noteSlot);
// AttachToGroup for a note chosen from a menu: one that would lie wholly
// outside the group's view is put at its top left, under the title strip.
int AttachToGroupInView(int groupSlot, int noteSlot);
// Takes the note out of its group: a top-level window again at the same
// place on the screen, group fields cleared, its former group laid out.
void DetachFromGroup(int groupSlot, int noteSlot);
// The re-link dialog for a member whose group was not found; parameter the slot.
INT_PTR CALLBACK RelinkDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Group command 20190: Yes releases the members to the desktop, No closes
// them with the group, Cancel does nothing.
void CloseZettlyGroup(HWND group, int slot);
// Group command 20295: every member rolled up into columns from the top left.
void RealignGroupMembers(HWND group, int slot);
struct StripStack;
// Rolls the note up (its rectangle kept to unroll to) and puts it next on the stack.
void StackAsStrip(int slot, StripStack *stack, int top, int limit);
