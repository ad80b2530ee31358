#include "changer_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "folder_browser.h"
#include "module_instance.h"
#include "registry_text.h"
#include "ui_seams.h"
#include "window_class.h"
#include "wallpaper_change.h"

ChangerShared *NewChangerShared(void)
{
    ChangerShared *shared = new (std::nothrow) ChangerShared();
    if (!shared)
        return nullptr;
    shared->references = 1;
    shared->busy = false;
    InitializeSRWLock(&shared->imageLock);
    shared->currentImage = nullptr;
    shared->closed = false;
    return shared;
}

void HoldChangerShared(ChangerShared *shared)
{
    ++shared->references;
}

void ReleaseChangerShared(ChangerShared *shared)
{
    if (!shared || --shared->references > 0)
        return;
    ReleaseChangerImage(shared->currentImage);
    delete shared;
}

ChangerImage *TakeCurrentImage(ChangerShared *shared)
{
    AcquireSRWLockExclusive(&shared->imageLock);
    ChangerImage *image = shared->currentImage;
    shared->currentImage = nullptr;
    ReleaseSRWLockExclusive(&shared->imageLock);
    return image;
}

void PublishCurrentImage(ChangerShared *shared, ChangerImage *image)
{
    AcquireSRWLockExclusive(&shared->imageLock);
    ChangerImage *old = shared->currentImage;
    // After the window closed nobody would ever release it.
    if (shared->closed) {
        shared->currentImage = nullptr;
        ReleaseChangerImage(image);
    } else {
        shared->currentImage = image;
    }
    ReleaseSRWLockExclusive(&shared->imageLock);
    ReleaseChangerImage(old);
}

// ---------------------------------------------------------------- settings

void LoadChangerSettings(char *directory, int size, ChangerSettings *settings)
{
    // A first run has no key yet: it starts from the defaults and the current
    // folder, as a missing value does.
    HKEY key;
    bool opened = RegOpenKeyExA(ZtRegistryRoot(), CHANGER_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS;
    char vars[CHANGER_PATH_BYTES];
    if (opened && ReadRegistryString(key, CHANGER_VARS_VALUE, vars, sizeof vars) == ERROR_SUCCESS)
        ParseChangerVars(vars, std::strlen(vars), settings);
    else
        SetDefaultChangerSettings(settings);
    if (!opened || ReadRegistryString(key, CHANGER_PATH_VALUE, directory, (DWORD)size) != ERROR_SUCCESS) {
        DWORD n = GetCurrentDirectoryA((DWORD)size, directory);
        if (n == 0 || n >= (DWORD)size)
            directory[0] = 0;
    }
    if (opened)
        RegCloseKey(key);
}

int SaveChangerSettings(const char *directory, const ChangerSettings *settings)
{
    HKEY key = CreateSettingsKey(CHANGER_KEY, true);
    if (!key)
        return -1;
    char vars[64];
    int result = 0;
    if (FormatChangerVars(settings, vars, sizeof vars) < 0 ||
        WriteRegistryString(key, CHANGER_VARS_VALUE, vars, sizeof vars) != ERROR_SUCCESS)
        result = -1;
    if (WriteRegistryString(key, CHANGER_PATH_VALUE, directory, CHANGER_PATH_BYTES) != ERROR_SUCCESS)
        result = -1;
    RegCloseKey(key);
    return result;
}

// ---------------------------------------------------------------- tray

BOOL TrayIconMessage(HWND window, DWORD operation, UINT id, HICON icon, const char *tip)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = CHANGER_TRAY_MESSAGE;
    if (icon) {
        data.uFlags |= NIF_ICON;
        data.hIcon = icon;
    }
    if (tip) {
        data.uFlags |= NIF_TIP;
        lstrcpynA(data.szTip, tip, 64);
    }
    BOOL result = Shell_NotifyIconA(operation, &data);
    if (icon)
        DestroyIcon(icon);
    return result;
}

static HICON LoadChangerIcon(int id)
{
    return (HICON)LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0);
}

static void ShowChangingState(HWND window, const ChangerWindow *changer)
{
    if (changer->changingOn)
        TrayIconMessage(window, NIM_MODIFY, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_ON),
                        CHANGER_TIP_ON);
    else
        TrayIconMessage(window, NIM_MODIFY, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_OFF),
                        CHANGER_TIP_OFF);
}

// ---------------------------------------------------------------- folder choice

// Where the tray sits at the screen's top or left (as under Wine) the
// corner at the cursor would put the window off the screen: it is kept on
// the screen of the cursor.
static void PlaceBottomRightAtCursor(HWND window)
{
    POINT cursor;
    RECT r;
    if (!GetCursorPos(&cursor) || !GetWindowRect(window, &r))
        return;
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = cursor.x - width, y = cursor.y - height;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT &area = monitor.rcWork;
        if (x + width > area.right)
            x = area.right - width;
        if (y + height > area.bottom)
            y = area.bottom - height;
        if (x < area.left)
            x = area.left;
        if (y < area.top)
            y = area.top;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int ChooseImageFolder(HWND owner, char *directory, int size)
{
    char current[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    FolderBrowserLook look = {"Current folder is:", n && n < sizeof current ? current : nullptr,
                              true, PlaceBottomRightAtCursor};
    return BrowseForFolder(owner, look, directory, size);
}

// ---------------------------------------------------------------- dialog 106

static INT_PTR CALLBACK RefreshTimeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const int *minutes = (const int *)lParam;
        HWND spin = GetDlgItem(dialog, IDC_REFRESH_SPIN);
        SendMessageA(spin, UDM_SETBUDDY, (WPARAM)GetDlgItem(dialog, IDC_REFRESH_EDIT), 0);
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(720, 0));
        SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(*minutes, 0));
        PlaceBottomRightAtCursor(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            int *minutes = (int *)GetWindowLongPtrA(dialog, DWLP_USER);
            LRESULT position = SendDlgItemMessageA(dialog, IDC_REFRESH_SPIN, UDM_GETPOS, 0, 0);
            // The high word flags buddy text that is no number: keep the old period then.
            if (HIWORD(position) == 0)
                *minutes = LOWORD(position);
            EndDialog(dialog, 1);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

bool AskRefreshMinutes(HWND owner, int *minutes)
{
    int edited = *minutes;
    if (DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_REFRESH_TIME), owner,
                        RefreshTimeDlgProc, (LPARAM)&edited) != 1)
        return false;
    *minutes = edited;
    return true;
}

// ---------------------------------------------------------------- window

ChangerWindow *ChangerOf(HWND window)
{
    char name[16];
    if (!window || !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, CHANGER_CLASS) != 0)
        return nullptr;
    return (ChangerWindow *)GetWindowLongPtrA(window, GWLP_USERDATA);
}

static void StartTimer(HWND window, const ChangerWindow *changer)
{
    // 0 minutes would fire as fast as the system allows; one minute is the least.
    int minutes = changer->settings.refreshMinutes > 0 ? changer->settings.refreshMinutes : 1;
    SetTimer(window, CHANGER_TIMER, (UINT)minutes * 60000u, nullptr);
}

static void RestartTimer(HWND window, const ChangerWindow *changer)
{
    KillTimer(window, CHANGER_TIMER);
    StartTimer(window, changer);
}

static bool OnChangerCreate(HWND window)
{
    ChangerWindow *changer = new (std::nothrow) ChangerWindow();
    ChangerShared *shared = changer ? NewChangerShared() : nullptr;
    if (!shared) {
        delete changer;
        return false;
    }
    changer->shared = shared;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)changer);
    changer->menu = LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDM_CHANGER));
    LoadChangerSettings(changer->directory, sizeof changer->directory, &changer->settings);
    StartTimer(window, changer);
    TrayIconMessage(window, NIM_ADD, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_ON),
                    CHANGER_TIP_ON);
    changer->changingOn = true;
    return true;
}

static void OnChangerTick(ChangerWindow *changer)
{
    bool idle = false;
    if (!changer->changingOn || !changer->shared->busy.compare_exchange_strong(idle, true))
        return;
    ChangeRequest *request = new (std::nothrow) ChangeRequest();
    if (!request) {
        changer->shared->busy = false;
        return;
    }
    request->settings = changer->settings;
    lstrcpynA(request->directory, changer->directory, sizeof request->directory);
    request->shared = changer->shared;
    HoldChangerShared(changer->shared);
    HANDLE thread = CreateThread(nullptr, 0, ChangeBackgroundThread, request, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    changer->shared->busy = false;
    ReleaseChangerShared(request->shared);
    delete request;
}

static void ShowChangerMenu(HWND window, const ChangerWindow *changer)
{
    if (!changer->menu)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU popup = GetSubMenu(changer->menu, 0);
    const ChangerSettings &settings = changer->settings;
    CheckMenuItem(popup, CM_TOGGLE_CHANGING, changer->changingOn ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_BILINEAR, settings.bilinear ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_SHARPEN, settings.sharpen ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_SHARPEN_MORE, settings.sharpenMore ? MF_CHECKED : MF_UNCHECKED);
    char text[128], updated[CHANGER_PATH_BYTES + 128];
    if (GetMenuStringA(popup, CM_LOADING_IMAGES, text, sizeof text, MF_BYCOMMAND) &&
        FormatLoadingImagesItem(text, changer->directory, updated, sizeof updated))
        ModifyMenuA(popup, CM_LOADING_IMAGES, MF_BYCOMMAND | MF_STRING, CM_LOADING_IMAGES,
                    updated);
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
}

static void OnChangerCommand(HWND window, ChangerWindow *changer, int command)
{
    switch (command) {
    case CM_CHANGE_NOW:
        RestartTimer(window, changer);
        PostMessageA(window, WM_TIMER, CHANGER_TIMER, 0);
        break;
    case CM_TOGGLE_CHANGING:
        changer->changingOn = !changer->changingOn;
        ShowChangingState(window, changer);
        break;
    case CM_EXIT_CHANGER:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case CM_SET_REFRESH:
        if (AskRefreshMinutes(window, &changer->settings.refreshMinutes))
            RestartTimer(window, changer);
        break;
    case CM_BILINEAR:
        changer->settings.bilinear = !changer->settings.bilinear;
        break;
    case CM_SHARPEN:
        ToggleSharpen(&changer->settings);
        break;
    case CM_SHARPEN_MORE:
        ToggleSharpenMore(&changer->settings);
        break;
    case CM_SET_DIRECTORY:
    case CM_LOADING_IMAGES:
        ChooseImageFolder(window, changer->directory, sizeof changer->directory);
        break;
    }
}

void DrawImageCentred(HDC dc, const ChangerImage *image, int width, int height)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = image->width;
    header.biHeight = image->height;
    header.biPlanes = 1;
    header.biBitCount = (WORD)(image->channels == 3 ? 24 : 32);
    header.biCompression = BI_RGB;
    double sx = (double)width / image->width, sy = (double)height / image->height;
    double s = sx < sy ? sx : sy;
    SetStretchBltMode(dc, COLORONCOLOR);
    // The difference is cut to an integer before it is halved.
    StretchDIBits(dc, (int)(width - image->width * s) / 2, (int)(height - image->height * s) / 2,
                  (int)(image->width * s + 0.5), (int)(image->height * s + 0.5), 0, 0,
                  image->width, image->height, image->pixels, (BITMAPINFO *)&header,
                  DIB_RGB_COLORS, SRCCOPY);
}

static void OnChangerPaint(HWND window, ChangerShared *shared)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    AcquireSRWLockShared(&shared->imageLock);
    ChangerImage *image = shared->currentImage;
    if (image && image->pixels && image->width > 0 && image->height > 0) {
        RECT client;
        GetClientRect(window, &client);
        DrawImageCentred(dc, image, client.right, client.bottom);
    }
    ReleaseSRWLockShared(&shared->imageLock);
    EndPaint(window, &paint);
}

static void OnChangerClose(HWND window, ChangerWindow *changer)
{
    SaveChangerSettings(changer->directory, &changer->settings);
    TrayIconMessage(window, NIM_DELETE, CHANGER_TRAY_ID, nullptr, nullptr);
    KillTimer(window, CHANGER_TIMER);
    ChangerShared *shared = changer->shared;
    AcquireSRWLockExclusive(&shared->imageLock);
    shared->closed = true;
    ReleaseSRWLockExclusive(&shared->imageLock);
    ReleaseChangerImage(TakeCurrentImage(shared));
}

static void OnChangerDestroyed(HWND window, ChangerWindow *changer)
{
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (changer->menu)
        DestroyMenu(changer->menu);
    ReleaseChangerShared(changer->shared);
    delete changer;
}

LRESULT CALLBACK BGWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return OnChangerCreate(window) ? 0 : -1;
    ChangerWindow *changer = (ChangerWindow *)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!changer)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_TIMER:
        OnChangerTick(changer);
        return 0;
    case CHANGER_TRAY_MESSAGE:
        if (lParam == WM_LBUTTONDOWN)
            OnChangerCommand(window, changer, CM_CHANGE_NOW);
        else if (lParam == WM_RBUTTONDOWN)
            ShowChangerMenu(window, changer);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) >= CM_CHANGE_NOW && LOWORD(wParam) <= CM_LOADING_IMAGES) {
            OnChangerCommand(window, changer, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_PAINT:
        OnChangerPaint(window, changer->shared);
        return 0;
    case WM_CANCELMODE:
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        OnChangerClose(window, changer);
        break;
    case WM_NCDESTROY:
        OnChangerDestroyed(window, changer);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

extern "C" HWND WINAPI BGChangerRunner(HWND unused)
{
    (void)unused;
    RegisterWindowClass(ModuleInstance(), CHANGER_CLASS, BGWindowProc,
                        {CS_HREDRAW | CS_VREDRAW, nullptr, (HBRUSH)(COLOR_MENU + 1)});
    return CreateWindowExA(WS_EX_TOOLWINDOW, CHANGER_CLASS, "", WS_OVERLAPPEDWINDOW, 100, 100,
                           300, 400, GetDesktopWindow(), nullptr, ModuleInstance(), nullptr);
}
