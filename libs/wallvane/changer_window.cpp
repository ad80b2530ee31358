#include "changer_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "core/registry_text.h"
#include "wallpaper_change.h"

ChangerState Changer;
HINSTANCE ChangerInstance;

static HKEY RegistryRootOverride;
static ChangerMessageBoxHook MessageBoxOverride;
static SRWLOCK ImageLock = SRWLOCK_INIT;
static ChangerImage *CurrentImage;

void SetChangerRegistryRoot(HKEY root)
{
    RegistryRootOverride = root;
}

HKEY ChangerRegistryRoot(void)
{
    return RegistryRootOverride ? RegistryRootOverride : HKEY_CURRENT_USER;
}

void SetChangerMessageBoxHook(ChangerMessageBoxHook hook)
{
    MessageBoxOverride = hook;
}

int ChangerMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (MessageBoxOverride)
        return MessageBoxOverride(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

void ReleaseChangerImage(ChangerImage *image)
{
    if (!image)
        return;
    std::free(image->pixels);
    std::free(image);
}

ChangerImage *TakeCurrentImage(void)
{
    AcquireSRWLockExclusive(&ImageLock);
    ChangerImage *image = CurrentImage;
    CurrentImage = nullptr;
    ReleaseSRWLockExclusive(&ImageLock);
    return image;
}

void PublishCurrentImage(ChangerImage *image)
{
    AcquireSRWLockExclusive(&ImageLock);
    ChangerImage *old = CurrentImage;
    // After the window closed nobody would ever release it.
    if (Changer.closed) {
        CurrentImage = nullptr;
        ReleaseChangerImage(image);
    } else {
        CurrentImage = image;
    }
    ReleaseSRWLockExclusive(&ImageLock);
    ReleaseChangerImage(old);
}

// ---------------------------------------------------------------- settings

void LoadChangerSettings(char *directory, int size, ChangerSettings *settings)
{
    HKEY key;
    if (RegOpenKeyExA(ChangerRegistryRoot(), CHANGER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char vars[CHANGER_PATH_BYTES];
    if (ReadRegistryString(key, CHANGER_VARS_VALUE, vars, sizeof vars) == ERROR_SUCCESS)
        ParseChangerVars(vars, std::strlen(vars), settings);
    else
        SetDefaultChangerSettings(settings);
    if (ReadRegistryString(key, CHANGER_PATH_VALUE, directory, (DWORD)size) != ERROR_SUCCESS) {
        DWORD n = GetCurrentDirectoryA((DWORD)size, directory);
        if (n == 0 || n >= (DWORD)size)
            directory[0] = 0;
    }
    RegCloseKey(key);
}

void SaveChangerSettings(const char *directory, const ChangerSettings *settings)
{
    HKEY key;
    if (RegCreateKeyA(ChangerRegistryRoot(), CHANGER_KEY, &key) != ERROR_SUCCESS) {
        ChangerMessageBox(nullptr, "Unable to open/create registry key!", "Registry Error",
                          MB_ICONERROR);
        return;
    }
    char vars[64];
    int length = FormatChangerVars(settings, vars, sizeof vars);
    if (length >= 0)
        RegSetValueExA(key, CHANGER_VARS_VALUE, 0, REG_SZ, (const BYTE *)vars, (DWORD)length);
    RegSetValueExA(key, CHANGER_PATH_VALUE, 0, REG_SZ, (const BYTE *)directory,
                   (DWORD)strnlen(directory, CHANGER_PATH_BYTES - 1));
    RegCloseKey(key);
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
    return (HICON)LoadImageA(ChangerInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0);
}

static void ShowChangingState(HWND window)
{
    if (Changer.changingOn)
        TrayIconMessage(window, NIM_MODIFY, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_ON),
                        CHANGER_TIP_ON);
    else
        TrayIconMessage(window, NIM_MODIFY, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_OFF),
                        CHANGER_TIP_OFF);
}

// ---------------------------------------------------------------- folder choice

static void PlaceBottomRightAtCursor(HWND window)
{
    POINT cursor;
    RECT r;
    if (!GetCursorPos(&cursor) || !GetWindowRect(window, &r))
        return;
    SetWindowPos(window, nullptr, cursor.x - (r.right - r.left), cursor.y - (r.bottom - r.top), 0,
                 0, SWP_NOSIZE | SWP_NOZORDER);
}

static int CALLBACK FolderBrowserEvent(HWND browser, UINT message, LPARAM lParam, LPARAM data)
{
    char path[MAX_PATH];
    switch (message) {
    case BFFM_INITIALIZED:
        if (GetCurrentDirectoryA(sizeof path, path))
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)path);
        PlaceBottomRightAtCursor(browser);
        break;
    case BFFM_SELCHANGED:
        if (SHGetPathFromIDListA((LPCITEMIDLIST)lParam, path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
        break;
    }
    return 0;
}

int ChooseImageFolder(HWND owner, char *directory, int size)
{
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = "Current folder is:";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = FolderBrowserEvent;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen)
        return -1;
    char path[MAX_PATH];
    int result = -1;
    if (SHGetPathFromIDListA(chosen, path)) {
        std::memset(directory, 0, (size_t)size);
        lstrcpynA(directory, path, size);
        result = 0;
    }
    CoTaskMemFree(chosen);
    return result;
}

// ---------------------------------------------------------------- dialog 106

INT_PTR CALLBACK RefreshTimeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND spin = GetDlgItem(dialog, IDC_REFRESH_SPIN);
        SendMessageA(spin, UDM_SETBUDDY, (WPARAM)GetDlgItem(dialog, IDC_REFRESH_EDIT), 0);
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(720, 0));
        SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(Changer.settings.refreshMinutes, 0));
        PlaceBottomRightAtCursor(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            LRESULT position = SendDlgItemMessageA(dialog, IDC_REFRESH_SPIN, UDM_GETPOS, 0, 0);
            // The high word flags buddy text that is no number: keep the old period then.
            if (HIWORD(position) == 0)
                Changer.settings.refreshMinutes = LOWORD(position);
            EndDialog(dialog, 1);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- window

static void StartTimer(HWND window)
{
    // 0 minutes would fire as fast as the system allows; one minute is the least.
    int minutes = Changer.settings.refreshMinutes > 0 ? Changer.settings.refreshMinutes : 1;
    SetTimer(window, CHANGER_TIMER, (UINT)minutes * 60000u, nullptr);
}

static void OnChangerCreate(HWND window)
{
    Changer.menu = LoadMenuA(ChangerInstance, MAKEINTRESOURCEA(IDM_CHANGER));
    LoadChangerSettings(Changer.directory, sizeof Changer.directory, &Changer.settings);
    StartTimer(window);
    TrayIconMessage(window, NIM_ADD, CHANGER_TRAY_ID, LoadChangerIcon(IDI_CHANGER_ON),
                    CHANGER_TIP_ON);
    Changer.busy = 0;
    Changer.closed = 0;
    Changer.changingOn = 1;
}

static void OnChangerTick(HWND window)
{
    if (!Changer.changingOn || InterlockedCompareExchange(&Changer.busy, 1, 0) != 0)
        return;
    HANDLE thread = CreateThread(nullptr, 0, ChangeBackgroundThread, window, 0, nullptr);
    if (!thread)
        Changer.busy = 0;
    else
        CloseHandle(thread);
}

static void ShowChangerMenu(HWND window)
{
    if (!Changer.menu)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU popup = GetSubMenu(Changer.menu, 0);
    CheckMenuItem(popup, CM_TOGGLE_CHANGING, Changer.changingOn ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_BILINEAR, Changer.settings.bilinear ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_SHARPEN, Changer.settings.sharpen ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, CM_SHARPEN_MORE,
                  Changer.settings.sharpenMore ? MF_CHECKED : MF_UNCHECKED);
    char text[128], updated[CHANGER_PATH_BYTES + 128];
    if (GetMenuStringA(popup, CM_LOADING_IMAGES, text, sizeof text, MF_BYCOMMAND) &&
        FormatLoadingImagesItem(text, Changer.directory, updated, sizeof updated))
        ModifyMenuA(popup, CM_LOADING_IMAGES, MF_BYCOMMAND | MF_STRING, CM_LOADING_IMAGES,
                    updated);
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
}

static void OnChangerCommand(HWND window, int command)
{
    switch (command) {
    case CM_CHANGE_NOW:
        KillTimer(window, CHANGER_TIMER);
        StartTimer(window);
        PostMessageA(window, WM_TIMER, CHANGER_TIMER, 0);
        break;
    case CM_TOGGLE_CHANGING:
        Changer.changingOn = !Changer.changingOn;
        ShowChangingState(window);
        break;
    case CM_EXIT_CHANGER:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case CM_SET_REFRESH:
        if (DialogBoxParamA(ChangerInstance, MAKEINTRESOURCEA(IDD_REFRESH_TIME), window,
                            RefreshTimeDlgProc, 0) == 1) {
            KillTimer(window, CHANGER_TIMER);
            StartTimer(window);
        }
        break;
    case CM_BILINEAR:
        Changer.settings.bilinear = !Changer.settings.bilinear;
        break;
    case CM_SHARPEN:
        ToggleSharpen(&Changer.settings);
        break;
    case CM_SHARPEN_MORE:
        ToggleSharpenMore(&Changer.settings);
        break;
    case CM_SET_DIRECTORY:
    case CM_LOADING_IMAGES:
        ChooseImageFolder(window, Changer.directory, sizeof Changer.directory);
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

static void OnChangerPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    AcquireSRWLockShared(&ImageLock);
    ChangerImage *image = CurrentImage;
    if (image && image->pixels && image->width > 0 && image->height > 0) {
        RECT client;
        GetClientRect(window, &client);
        DrawImageCentred(dc, image, client.right, client.bottom);
    }
    ReleaseSRWLockShared(&ImageLock);
    EndPaint(window, &paint);
}

static void OnChangerClose(HWND window)
{
    SaveChangerSettings(Changer.directory, &Changer.settings);
    TrayIconMessage(window, NIM_DELETE, CHANGER_TRAY_ID, nullptr, nullptr);
    KillTimer(window, CHANGER_TIMER);
    AcquireSRWLockExclusive(&ImageLock);
    Changer.closed = 1;
    ReleaseSRWLockExclusive(&ImageLock);
    ReleaseChangerImage(TakeCurrentImage());
}

LRESULT CALLBACK BGWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnChangerCreate(window);
        return 0;
    case WM_TIMER:
        OnChangerTick(window);
        return 0;
    case CHANGER_TRAY_MESSAGE:
        if (lParam == WM_LBUTTONDOWN)
            OnChangerCommand(window, CM_CHANGE_NOW);
        else if (lParam == WM_RBUTTONDOWN)
            ShowChangerMenu(window);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) >= CM_CHANGE_NOW && LOWORD(wParam) <= CM_LOADING_IMAGES) {
            OnChangerCommand(window, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_PAINT:
        OnChangerPaint(window);
        return 0;
    case WM_CANCELMODE:
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        OnChangerClose(window);
        if (message == WM_DESTROY && Changer.menu) {
            DestroyMenu(Changer.menu);
            Changer.menu = nullptr;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

extern "C" HWND WINAPI BGChangerRunner(HWND unused)
{
    (void)unused;
    if (!ChangerInstance)
        ChangerInstance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BGWindowProc;
    wc.hInstance = ChangerInstance;
    wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    wc.lpszClassName = CHANGER_CLASS;
    RegisterClassA(&wc);
    return CreateWindowExA(WS_EX_TOOLWINDOW, CHANGER_CLASS, "", WS_OVERLAPPEDWINDOW, 100, 100,
                           300, 400, GetDesktopWindow(), nullptr, ChangerInstance, nullptr);
}
