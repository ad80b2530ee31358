// The quick-pick list that the keyboard shortcuts open over the desktop, and
// window regions cut from bitmaps.
#pragma once
#include <windows.h>

#include "quick_pick_rules.h"

// The note in the list's name strip, -1 for none; it outlives the list.
extern int QuickPickSelectedSlot;
// Shared with the scroll thread; running is the only guard.
extern QuickPickAnimation QuickPickScroll;

// Creates the list (dialog 157) modeless, owned by the main window; null when it cannot.
HWND OpenQuickPickList(HWND owner);
INT_PTR CALLBACK PopupAnimDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI QuickPickScrollThread(LPVOID animation);

// The region of every pixel of the bitmap that is not the transparent colour;
// the bitmap's size goes to *width and *height. Null on failure.
HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent, int *width, int *height);

// One note's entry (nothing for a slot without a window), and the list of
// entries around the middle slot on the background colour.
void DrawQuickPickEntry(HDC dc, RECT r, int slot);
void DrawQuickPickList(HDC dc, int left, int top, int right, int bottom, int entryHeight,
                       int middle, int *listFull, COLORREF background);
