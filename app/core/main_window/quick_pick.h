// The quick-pick list that the keyboard shortcuts open over the desktop, and
// window regions cut from bitmaps.
#pragma once
#include <windows.h>

#include "quick_pick_rules.h"

// Creates the list (dialog 157) modeless, owned by the main window; null when
// it cannot. *selectedSlot is the note in the list's name strip (-1 for none):
// the list starts from it and moves it, and it must outlive the list.
HWND OpenQuickPickList(HWND owner, int *selectedSlot);
INT_PTR CALLBACK PopupAnimDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The open list's scroll animation, shared with its scroll thread (running is
// the only guard); null for a window that is no open list.
const QuickPickAnimation *QuickPickScrollOf(HWND list);

// The region of every pixel of the bitmap that is not the transparent colour;
// the bitmap's size goes to *width and *height. Null on failure.
HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent, int *width, int *height);

// One note's entry (nothing for a slot without a window), and the list of
// entries around the middle slot on the background colour.
void DrawQuickPickEntry(HDC dc, RECT r, int slot);
void DrawQuickPickList(HDC dc, int left, int top, int right, int bottom, int entryHeight,
                       int middle, int *listFull, COLORREF background);
