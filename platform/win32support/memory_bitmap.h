// Bitmaps drawn off the screen: a bitmap selected into a memory DC of its own,
// for back buffers, pixel surfaces and strips of looks copied with BitBlt.
#pragma once
#include <windows.h>

// A top-down 32-bit DIB section (BI_RGB: row 0 is the top row, each pixel
// blue, green, red and a byte that starts 0). bits, when not null, receives
// the pixels. Null on failure.
HBITMAP CreateTopDownBitmap(HDC reference, int width, int height, void **bits);

// A new memory DC compatible with reference (null: the screen) holding
// bitmap; kept receives what the DC held before, to be put back before the DC
// is deleted. Null when no DC could be made; bitmap is the caller's then.
HDC SelectIntoMemoryDc(HDC reference, HBITMAP bitmap, HGDIOBJ *kept);

// Puts *kept back into *dc, deletes *dc and *bitmap and clears all three.
// Any of them may already be null.
void FreeMemoryBitmap(HDC *dc, HBITMAP *bitmap, HGDIOBJ *kept);
