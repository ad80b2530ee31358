// The changer's hidden window, its tray icon, menu, timer and settings.
#pragma once
#include <windows.h>

#include <atomic>

#include "changer_image.h"
#include "changer_rules.h"
#include "changer_ids.h"

// What a change running on its own thread shares with its window. The window
// may close while a change runs: each holds a reference, the last one frees it.
struct ChangerShared {
    std::atomic<LONG> references;
    std::atomic<bool> busy; // a change is running: ticks start no other
    SRWLOCK imageLock;
    ChangerImage *currentImage; // under imageLock
    bool closed;                // under imageLock: the window is gone, keep no picture
};

// The state of one changer window, reached from the window.
struct ChangerWindow {
    ChangerSettings settings;
    char directory[CHANGER_PATH_BYTES];
    bool changingOn;
    HMENU menu;
    ChangerShared *shared;
};

// What one change works from: copies, so the window may change its settings meanwhile.
struct ChangeRequest {
    ChangerSettings settings;
    char directory[CHANGER_PATH_BYTES];
    ChangerShared *shared;
};

extern "C" HWND WINAPI BGChangerRunner(HWND unused);
LRESULT CALLBACK BGWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The state of a changer window; null for any other window.
ChangerWindow *ChangerOf(HWND window);

// Asks for the minutes between changes; true (and *minutes set) on OK.
bool AskRefreshMinutes(HWND owner, int *minutes);

void LoadChangerSettings(char *directory, int size, ChangerSettings *settings);
int SaveChangerSettings(const char *directory, const ChangerSettings *settings);
BOOL TrayIconMessage(HWND window, DWORD operation, UINT id, HICON icon, const char *tip);
int ChooseImageFolder(HWND owner, char *directory, int size);

// A new share with one reference; null when out of memory.
ChangerShared *NewChangerShared(void);
void HoldChangerShared(ChangerShared *shared);
// Drops a reference; the last frees the picture and the share.
void ReleaseChangerShared(ChangerShared *shared);

// The picture shown by the window and replaced by each change. Whoever holds
// it after TakeCurrentImage owns it; PublishCurrentImage frees what it replaces.
ChangerImage *TakeCurrentImage(ChangerShared *shared);
void PublishCurrentImage(ChangerShared *shared, ChangerImage *image);
// Draws the picture as large as fits, centred, keeping its shape.
void DrawImageCentred(HDC dc, const ChangerImage *image, int width, int height);
