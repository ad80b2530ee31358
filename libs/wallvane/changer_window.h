// The changer's hidden window, its tray icon, menu, timer and settings.
#pragma once
#include <windows.h>

#include "changer_rules.h"
#include "changer_ids.h"

// A decoded picture: bottom-up rows of 3-byte pixels after a change.
struct ChangerImage {
    unsigned char *pixels;
    int width, height, channels, padBytes;
};

struct ChangerState {
    ChangerSettings settings;
    char directory[CHANGER_PATH_BYTES];
    volatile LONG changingOn;
    volatile LONG busy;
    volatile LONG closed; // the window is gone: a running change keeps no image
    HMENU menu;
};

extern ChangerState Changer;
extern HINSTANCE ChangerInstance;

extern "C" HWND WINAPI BGChangerRunner(HWND unused);
LRESULT CALLBACK BGWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RefreshTimeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void LoadChangerSettings(char *directory, int size, ChangerSettings *settings);
void SaveChangerSettings(const char *directory, const ChangerSettings *settings);
BOOL TrayIconMessage(HWND window, DWORD operation, UINT id, HICON icon, const char *tip);
int ChooseImageFolder(HWND owner, char *directory, int size);

// The picture shown by the window and replaced by each change. Whoever holds
// it after TakeCurrentImage owns it; PublishCurrentImage frees what it replaces.
ChangerImage *TakeCurrentImage(void);
void PublishCurrentImage(ChangerImage *image);
void ReleaseChangerImage(ChangerImage *image);
// Draws the picture as large as fits, centred, keeping its shape.
void DrawImageCentred(HDC dc, const ChangerImage *image, int width, int height);

// Seams for tests: the registry root under which the key lives and the message box.
typedef int (*ChangerMessageBoxHook)(HWND, const char *, const char *, UINT);
void SetChangerRegistryRoot(HKEY root);
void SetChangerMessageBoxHook(ChangerMessageBoxHook hook);
int ChangerMessageBox(HWND owner, const char *text, const char *caption, UINT type);
HKEY ChangerRegistryRoot(void);
