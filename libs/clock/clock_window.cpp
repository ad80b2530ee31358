#include "clock_window.h"

#include <commctrl.h>

#include <cstring>

#include "clock_draw.h"
#include "clock_face.h"
#include "clock_ids.h"
#include "clock_seams.h"
#include "clock_settings.h"
#include "sun_shade_gdi.h"
#include "ui_seams.h"
#include "window_class.h"

namespace {
struct ClockWindowState {
    ClockSettings settings;
    HMENU menu;
    HCURSOR shiftCursor, resizeCursor;
    HWND tooltip;
    char tipText[64];
    HBITMAP sourceMap, shadedMap, backBuffer;
    SYSTEMTIME lastTime;
    DWORD nextFullRedraw;
    int lastSecond;
    int lastX, lastY;
    int shiftMode, resizeMode;
};
ClockWindowState Clock;
} // namespace

const ClockSettings &CurrentClockSettings(void)
{
    return Clock.settings;
}

bool ClockHasMap(void)
{
    return Clock.shadedMap != nullptr;
}

void ClockMapBitmaps(HBITMAP *source, HBITMAP *shaded)
{
    *source = Clock.sourceMap;
    *shaded = Clock.shadedMap;
}

bool ClockIsShiftMode(void)
{
    return Clock.shiftMode != 0;
}

bool ClockIsResizeMode(void)
{
    return Clock.resizeMode != 0;
}

HWND ClockTooltipWindow(void)
{
    return Clock.tooltip;
}

const char *ClockTooltipText(void)
{
    return Clock.tipText;
}

void SetClockTransparency(HWND window, int alpha)
{
    typedef BOOL(WINAPI * SetLayeredAttributes)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = LoadLibraryA("user32");
    if (!user32)
        return;
    SetLayeredAttributes setLayered =
        (SetLayeredAttributes)(void *)GetProcAddress(user32, "SetLayeredWindowAttributes");
    if (setLayered) {
        LONG_PTR style = GetWindowLongPtrA(window, GWL_EXSTYLE);
        if (alpha < 0) {
            if (style & WS_EX_LAYERED)
                SetWindowLongPtrA(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        } else {
            SetWindowLongPtrA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
            setLayered(window, 0, (BYTE)(alpha > 255 ? 255 : alpha), LWA_ALPHA);
        }
    }
    FreeLibrary(user32);
}

static ClockSettings SettingsWithRect(HWND window)
{
    ClockSettings settings = Clock.settings;
    RECT r;
    if (GetWindowRect(window, &r))
        settings.rect = {r.left, r.top, r.right, r.bottom};
    return settings;
}

static TOOLINFOA ClockTool(HWND window)
{
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = (UINT_PTR)window;
    tool.lpszText = Clock.tipText;
    return tool;
}

static void CreateTooltip(HWND window)
{
    Clock.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 10, 10, window, nullptr,
                                    ClockInstance(), nullptr);
    if (!Clock.tooltip)
        return;
    Clock.tipText[0] = '\0';
    TOOLINFOA tool = ClockTool(window);
    SendMessageA(Clock.tooltip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    SendMessageA(Clock.tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    SendMessageA(Clock.tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, 1);
    SendMessageA(Clock.tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 65535);
    SendMessageA(Clock.tooltip, TTM_SETTIPBKCOLOR, 0xFF0000, 0);
    SendMessageA(Clock.tooltip, TTM_SETTIPTEXTCOLOR, 0xFFFFFF, 0);
}

static void HideTooltip(void)
{
    if (Clock.tooltip)
        SendMessageA(Clock.tooltip, TTM_POP, 0, 0);
}

static void RedrawFace(HWND window)
{
    ClockLocalTime(&Clock.lastTime);
    DrawClockFace(window, Clock.backBuffer, Clock.lastTime, Clock.shadedMap,
                  Clock.settings.mapShift, Clock.settings.view180, Clock.settings.round);
}

static void DeleteMaps(void)
{
    FreeSunShade();
    if (Clock.sourceMap)
        DeleteObject(Clock.sourceMap);
    if (Clock.shadedMap)
        DeleteObject(Clock.shadedMap);
    Clock.sourceMap = Clock.shadedMap = nullptr;
}

// Maps become 32-bit bitmaps whose alpha bytes are zero, whatever depth and
// compression the resource has, so the blend that brightens them adds colour.
static HBITMAP CreateMapBitmap(HDC reference, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    return CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

static HBITMAP LoadMap(int mapId)
{
    if (mapId < IDB_CLOCK_MAP_FIRST || mapId > IDB_CLOCK_MAP_LAST)
        return nullptr;
    HBITMAP resource = LoadBitmapA(ClockInstance(), MAKEINTRESOURCEA(mapId));
    if (!resource)
        return nullptr;
    BITMAP size;
    HBITMAP map = nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    if (GetObjectA(resource, sizeof size, &size) && from && to)
        map = CreateMapBitmap(screen, size.bmWidth, size.bmHeight);
    if (map) {
        HGDIOBJ oldFrom = SelectObject(from, resource), oldTo = SelectObject(to, map);
        BitBlt(to, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(resource);
    return map;
}

// Every ten minutes the copy is shaded from scratch: copying the source over
// it first clears yesterday's day side.
static void RebuildShadedMap(void)
{
    if (!Clock.sourceMap)
        Clock.sourceMap = LoadMap(Clock.settings.mapId);
    if (!Clock.sourceMap)
        return;
    BITMAP size;
    if (!GetObjectA(Clock.sourceMap, sizeof size, &size))
        return;
    HDC screen = GetDC(nullptr);
    if (!Clock.shadedMap)
        Clock.shadedMap = CreateMapBitmap(screen, size.bmWidth, size.bmHeight);
    HDC source = CreateCompatibleDC(screen), copy = CreateCompatibleDC(screen);
    if (Clock.shadedMap && source && copy) {
        HGDIOBJ oldSource = SelectObject(source, Clock.sourceMap);
        HGDIOBJ oldCopy = SelectObject(copy, Clock.shadedMap);
        BitBlt(copy, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
        if (InitSunShade(copy, source, size.bmWidth, size.bmHeight) == 0)
            UpdateSunShade();
        SelectObject(source, oldSource);
        SelectObject(copy, oldCopy);
    }
    if (source)
        DeleteDC(source);
    if (copy)
        DeleteDC(copy);
    ReleaseDC(nullptr, screen);
}

static void UpdateTooltipText(HWND window, const SYSTEMTIME &now)
{
    if (FormatClockTooltip(Clock.tipText, sizeof Clock.tipText, now.wYear, now.wMonth,
                           now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond) < 0)
        Clock.tipText[0] = '\0';
    Clock.lastSecond = now.wSecond;
    if (Clock.tooltip) {
        TOOLINFOA tool = ClockTool(window);
        SendMessageA(Clock.tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&tool);
    }
}

static void OnSecondTimer(HWND window)
{
    ClockLocalTime(&Clock.lastTime);
    // Signed difference: the tick count wraps after 49 days.
    if ((LONG)(GetTickCount() - Clock.nextFullRedraw) < 0) {
        DrawSecondHand(window, Clock.lastTime);
        if (Clock.lastTime.wSecond != Clock.lastSecond)
            UpdateTooltipText(window, Clock.lastTime);
    } else {
        Clock.nextFullRedraw = GetTickCount() + CLOCK_FULL_REDRAW_MS;
        RedrawFace(window);
    }
}

static void OnTimer(HWND window, UINT_PTR id)
{
    if (id == CLOCK_TIMER_SECOND)
        OnSecondTimer(window);
    else if (id == CLOCK_TIMER_MAP)
        RebuildShadedMap();
}

static void ApplyTopmost(HWND window)
{
    // Wine will not make a window topmost while it owns a topmost window (the
    // tooltip): it only lines the owner up under it. Let go of the tooltip
    // for the move and take it back after.
    if (Clock.tooltip)
        SetWindowLongPtrA(Clock.tooltip, GWLP_HWNDPARENT, 0);
    SetWindowPos(window, Clock.settings.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (Clock.tooltip)
        SetWindowLongPtrA(Clock.tooltip, GWLP_HWNDPARENT, (LONG_PTR)window);
}

static int OnCreate(HWND window)
{
    HINSTANCE instance = ClockInstance();
    ClockWindowState fresh = {};
    Clock = fresh;
    Clock.settings = DefaultClockSettings();
    Clock.lastSecond = -1;
    ForgetSecondHand();
    Clock.menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_CLOCK_MENU));
    Clock.shiftCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CLOCK_SHIFT));
    Clock.resizeCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CLOCK_RESIZE));
    CreateTooltip(window);

    RECT r;
    GetWindowRect(window, &r);
    Clock.settings.rect = {r.left, r.top, r.right, r.bottom};
    LoadClockInfo(&Clock.settings);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    ClockRect place = KeepClockOnDesktop(Clock.settings.rect, desktop.right, desktop.bottom);
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top,
               TRUE);
    SetClockTransparency(window, Clock.settings.alpha);

    ApplyTopmost(window);

    ClockLocalTime(&Clock.lastTime);
    Clock.nextFullRedraw = GetTickCount();
    SetTimer(window, CLOCK_TIMER_SECOND, CLOCK_SECOND_PERIOD_MS, nullptr);
    SetTimer(window, CLOCK_TIMER_MAP, CLOCK_MAP_PERIOD_MS, nullptr);
    RebuildShadedMap();
    return 0;
}

static void OnSize(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    // The system owns a region once it is set; replacing it frees the old one.
    HRGN region = nullptr;
    if (Clock.settings.round)
        region = CreateEllipticRgn(0, 0, client.right, client.bottom);
    SetWindowRgn(window, region, TRUE);

    if (Clock.backBuffer)
        DeleteObject(Clock.backBuffer);
    Clock.backBuffer = nullptr;
    HDC dc = GetDC(window);
    if (dc) {
        if (client.right > 0 && client.bottom > 0)
            Clock.backBuffer = CreateCompatibleBitmap(dc, client.right, client.bottom);
        ReleaseDC(window, dc);
    }
    HideTooltip();
}

static bool IsCommandChecked(UINT id)
{
    const ClockSettings &s = Clock.settings;
    switch (id) {
    case IDM_CLOCK_SHIFT_MAP:
        return Clock.shiftMode != 0;
    case IDM_CLOCK_RESIZE:
        return Clock.resizeMode != 0;
    case IDM_CLOCK_TOPMOST:
        return s.topmost != 0;
    case IDM_CLOCK_ROUND:
        return s.round != 0;
    case IDM_CLOCK_RECTANGLE:
        return s.round == 0;
    case IDM_CLOCK_VIEW_180:
        return s.view180 != 0;
    case IDM_CLOCK_VIEW_360:
        return s.view180 == 0;
    }
    if (id == IDM_CLOCK_NO_MAP || (id >= IDB_CLOCK_MAP_FIRST && id <= IDB_CLOCK_MAP_LAST))
        return (int)id == s.mapId;
    if (id <= IDM_CLOCK_ALPHA_LAST && id % 10 == 0)
        return (int)id == TransparencyMenuId(s.alpha);
    return false;
}

// Walks the items by position: the "00 %" entry's id is 0, as is every
// separator's, so it cannot be found by command.
static void SetMenuChecks(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, i, TRUE, &item))
            continue;
        if (item.hSubMenu) {
            SetMenuChecks(item.hSubMenu);
            continue;
        }
        if (item.fType & MFT_SEPARATOR)
            continue;
        CheckMenuItem(menu, i, MF_BYPOSITION | (IsCommandChecked(item.wID) ? MF_CHECKED : 0));
    }
}

static void OnContextMenu(HWND window)
{
    HMENU popup = Clock.menu ? GetSubMenu(Clock.menu, 0) : nullptr;
    if (!popup)
        return;
    SetMenuChecks(popup);
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

static void ChangeMap(HWND window, int mapId)
{
    Clock.settings.mapId = mapId;
    DeleteMaps();
    RebuildShadedMap();
    RedrawFace(window);
}

static void ChangeShape(HWND window, int round)
{
    Clock.settings.round = round;
    OnSize(window);
    InvalidateRect(window, nullptr, FALSE);
}

static void OnCommand(HWND window, UINT id)
{
    switch (id) {
    case IDM_CLOCK_SHIFT_MAP:
        Clock.shiftMode = !Clock.shiftMode;
        return;
    case IDM_CLOCK_RESIZE:
        Clock.resizeMode = !Clock.resizeMode;
        return;
    case IDM_CLOCK_CALENDAR:
        ShowCalendar(window);
        return;
    case IDM_CLOCK_TOPMOST:
        Clock.settings.topmost = !Clock.settings.topmost;
        ApplyTopmost(window);
        return;
    case IDM_CLOCK_ROUND:
    case IDM_CLOCK_RECTANGLE:
        ChangeShape(window, id == IDM_CLOCK_ROUND);
        return;
    case IDM_CLOCK_VIEW_180:
    case IDM_CLOCK_VIEW_360:
        Clock.settings.view180 = id == IDM_CLOCK_VIEW_180;
        InvalidateRect(window, nullptr, FALSE);
        return;
    case IDM_CLOCK_ABOUT:
        ZtMessageBox(window, "World Clock\n\nDay and night on a world map.", "About",
                     MB_OK | MB_ICONINFORMATION);
        return;
    case IDM_CLOCK_QUIT:
        DestroyWindow(window);
        return;
    }
    if (id == IDM_CLOCK_NO_MAP || (id >= IDB_CLOCK_MAP_FIRST && id <= IDB_CLOCK_MAP_LAST)) {
        ChangeMap(window, (int)id);
    } else if (id <= IDM_CLOCK_ALPHA_LAST && id % 10 == 0) {
        Clock.settings.alpha = TransparencyAlpha((int)id);
        SetClockTransparency(window, Clock.settings.alpha);
    }
}

static void OnMouseMove(HWND window, WPARAM keys, int x, int y)
{
    if (keys & MK_LBUTTON) {
        RECT r;
        GetWindowRect(window, &r);
        if ((keys & MK_SHIFT) || Clock.shiftMode) {
            Clock.settings.mapShift = WrapMapShift(Clock.settings.mapShift + (Clock.lastX - x));
            Clock.lastX = x;
            SetCursor(Clock.shiftCursor);
            RedrawFace(window);
        } else if ((keys & MK_CONTROL) || Clock.resizeMode) {
            SetCursor(Clock.resizeCursor);
            int width = ResizedExtent(r.right - r.left, Clock.lastX, x);
            int height = ResizedExtent(r.bottom - r.top, Clock.lastY, y);
            SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
            Clock.lastX = x;
            Clock.lastY = y;
        } else {
            SetWindowPos(window, nullptr, r.left + x - Clock.lastX, r.top + y - Clock.lastY, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
        }
    } else {
        ReleaseCapture();
    }
    if (Clock.tooltip)
        SendMessageA(Clock.tooltip, TTM_ACTIVATE, TRUE, 0);
}

static void OnButton(HWND window, bool down, int x, int y)
{
    Clock.lastX = x;
    Clock.lastY = y;
    if (down) {
        SetCapture(window);
    } else {
        ReleaseCapture();
        HideTooltip();
    }
}

static void OnDestroy(HWND window)
{
    SaveClockInfo(SettingsWithRect(window));
    KillTimer(window, CLOCK_TIMER_SECOND);
    KillTimer(window, CLOCK_TIMER_MAP);
    DeleteMaps();
    if (Clock.backBuffer)
        DeleteObject(Clock.backBuffer);
    if (Clock.shiftCursor)
        DestroyCursor(Clock.shiftCursor);
    if (Clock.resizeCursor)
        DestroyCursor(Clock.resizeCursor);
    if (Clock.tooltip)
        DestroyWindow(Clock.tooltip);
    if (Clock.menu)
        DestroyMenu(Clock.menu);
    Clock.backBuffer = nullptr;
    Clock.shiftCursor = Clock.resizeCursor = nullptr;
    Clock.tooltip = nullptr;
    Clock.menu = nullptr;
}

LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_PAINT:
        RedrawFace(window);
        return 0;
    case WM_SIZE:
        OnSize(window);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        OnButton(window, message == WM_LBUTTONDOWN, x, y);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, wParam, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        OnContextMenu(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_ENDSESSION:
        // A cancelled shutdown leaves the clock as it was.
        if (!wParam)
            return 0;
        // fall through
    case WM_CLOSE:
        SaveClockInfo(SettingsWithRect(window));
        DestroyWindow(window);
        return 1;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateClockWindow(void)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);

    RegisterWindowClass(ClockInstance(), CLOCK_CLASS, ClockWndProc,
                        {CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                         nullptr});

    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, CLOCK_CLASS, "", WS_POPUP, CLOCK_START_X,
                                  CLOCK_START_Y, CLOCK_START_SIZE, CLOCK_START_SIZE,
                                  GetDesktopWindow(), nullptr, ClockInstance(), nullptr);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}
