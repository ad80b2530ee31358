#include "main_window.h"

#include <cstring>

#include "notes_file.h"
#include "registry_settings.h"
#include "zettly_settings.h"
#include "zettly_slots.h"

HWND MainWindow;

// Settings 12, 16, 18 and 24 as read at start: which companions to reopen.
static int ReopenPlayer, ReopenClock, ReopenChanger, ReopenMeter;
// WM_CLOSE writes the settings once; a session end after it must not write them again.
static BOOL SettingsWrittenAtClose;

static int OnMainCreate(HWND window)
{
    MainWindow = window;
    std::memset(ZettlyTable, 0, sizeof(ZettlyRecord) * (ZETTLY_LAST_NOTE_SLOT + 1));
    ResetDefaultSettings();
    ReopenPlayer = ReopenClock = ReopenChanger = ReopenMeter = 0;
    LoadSettings(&ReopenPlayer, &ReopenClock, &ReopenChanger, &ReopenMeter);
    PrepareZettlyFileSet();
    LoadZettlies();
    return 0;
}

static void OnMainClose(HWND window)
{
    SaveSettings(0, 0, 0, 0);
    SettingsWrittenAtClose = TRUE;
    DestroyWindow(window);
}

static void OnMainEndSession(HWND window, BOOL ending)
{
    if (!ending)
        return;
    if (!SettingsWrittenAtClose)
        SaveSettings(0, 0, 0, 0);
    SaveZettlies(nullptr);
}

static void OnMainDestroy(HWND window)
{
    SaveZettlies(nullptr);
    ReleaseAllZettlies();
    CloseZettlyFileSet();
    MainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnMainCreate(window);
    case WM_CLOSE:
        OnMainClose(window);
        return 0;
    case WM_ENDSESSION:
        OnMainEndSession(window, (BOOL)wParam);
        return 0;
    case WM_DESTROY:
        OnMainDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
