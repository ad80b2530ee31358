#include "tray_icon.h"

#include <shellapi.h>

#include "core/core_ids.h"

static HWND TrayOwner;

// The first form of the record: every shell since the first one takes it.
static void FillTrayData(NOTIFYICONDATAA *data, HICON icon, const char *tip)
{
    ZeroMemory(data, sizeof *data);
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = TrayOwner;
    data->uID = 0;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = WM_TRAY_CALLBACK;
    data->hIcon = icon;
    lstrcpynA(data->szTip, tip ? tip : "", 64);
}

// The shell keeps its own copy of the icon, so ours goes at once.
static BOOL NotifyWithIcon(DWORD action, int iconId, const char *tip)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    NOTIFYICONDATAA data;
    FillTrayData(&data, icon, tip);
    BOOL done = Shell_NotifyIconA(action, &data);
    if (icon)
        DestroyIcon(icon);
    return done;
}

int AddTrayIcon(HWND mainWindow)
{
    TrayOwner = mainWindow;
    return NotifyWithIcon(NIM_ADD, IDI_ZETTLIES, TRAY_TIP_IDLE) ? 0 : -1;
}

void SetZettlyTrayIcon(int iconId, const char *tip)
{
    if (TrayOwner)
        NotifyWithIcon(NIM_MODIFY, iconId, tip);
}

void DeleteTrayIcon(void)
{
    if (!TrayOwner)
        return;
    NOTIFYICONDATAA data;
    FillTrayData(&data, nullptr, nullptr);
    data.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &data);
    TrayOwner = nullptr;
}
