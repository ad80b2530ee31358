#include "tray_icon.h"

#include <shellapi.h>

#include "core/core_ids.h"
#include "core/note_window/note_window.h"

// The first form of the record: every shell since the first one takes it.
static void FillTrayData(NOTIFYICONDATAA *data, HWND owner, HICON icon, const char *tip)
{
    ZeroMemory(data, sizeof *data);
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = owner;
    data->uID = 0;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = WM_TRAY_CALLBACK;
    data->hIcon = icon;
    lstrcpynA(data->szTip, tip ? tip : "", 64);
}

// The shell keeps its own copy of the icon, so ours goes at once.
static BOOL NotifyWithIcon(DWORD action, HWND owner, int iconId, const char *tip)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    NOTIFYICONDATAA data;
    FillTrayData(&data, owner, icon, tip);
    BOOL done = Shell_NotifyIconA(action, &data);
    if (icon)
        DestroyIcon(icon);
    return done;
}

int AddTrayIcon(HWND mainWindow)
{
    return NotifyWithIcon(NIM_ADD, mainWindow, IDI_ZETTLIES, TRAY_TIP_IDLE) ? 0 : -1;
}

void SetZettlyTrayIcon(int iconId, const char *tip)
{
    if (MainWindow)
        NotifyWithIcon(NIM_MODIFY, MainWindow, iconId, tip);
}

void DeleteTrayIcon(HWND mainWindow)
{
    NOTIFYICONDATAA data;
    FillTrayData(&data, mainWindow, nullptr, nullptr);
    data.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &data);
}
