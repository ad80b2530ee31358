// One wallpaper change, run on its own thread.
#pragma once
#include <windows.h>

#include "changer_window.h"

// Runs one change; clears request.shared->busy at the end.
void ChangeBackground(const ChangeRequest &request);
// The thread around ChangeBackground: owns the request (from new) and one
// reference to its share, both given up at the end.
DWORD WINAPI ChangeBackgroundThread(LPVOID request);
// Next "*.jpg" after the one in "cur_bmp.txt"; 0, or -1 when there is none.
int FindNextImageFile(const char *directory, char *outPath, int outSize);
int SaveDesktopBitmap(const ChangerImage *image, const char *path);
HGLOBAL PackBitmapAsDib(HBITMAP bitmap, DWORD compression);
int WriteBmpFile(const char *path, HGLOBAL packed);
