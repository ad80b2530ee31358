#include "clock_window.h"

#include <commctrl.h>

#include <cstring>
#include <new>

#include "clock_draw.h"
#include "clock_face.h"
#include "clock_ids.h"
#include "clock_seam.h"
#include "module_instance.h"
#include "clock_settings.h"
#include "memory_bitmap.h"
#include "sun_shade_gdi.h"
#include "window_alpha.h"
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
    SunShadeGdi shade;
    FacePoint secondHandEnd; // x or y below 1: none drawn
};

ClockWindowState *StateOf(HWND window)
{
    return (ClockWindowState *)GetWindowLongPtrA(window, GWLP_USERDATA);
}
} // namespace

const ClockSettings &CurrentClockSettings(HWND window)
{
    static const ClockSettings none = DefaultClockSettings();
    const ClockWindowState *clock = StateOf(window);
    return clock ? clock->settings : none;
}

bool ClockHasMap(HWND window)
{
    const ClockWindowState *clock = StateOf(window);
    return clock && clock->shadedMap != nullptr;
}

void ClockMapBitmaps(HWND window, HBITMAP *source, HBITMAP *shaded)
{
    const ClockWindowState *clock = StateOf(window);
    *source = clock ? clock->sourceMap : nullptr;
    *shaded = clock ? clock->shadedMap : nullptr;
}

bool ClockIsShiftMode(HWND window)
{
    const ClockWindowState *clock = StateOf(window);
    return clock && clock->shiftMode != 0;
}

bool ClockIsResizeMode(HWND window)
{
    const ClockWindowState *clock = StateOf(window);
    return clock && clock->resizeMode != 0;
}

HWND ClockTooltipWindow(HWND window)
{
    const ClockWindowState *clock = StateOf(window);
    return clock ? clock->tooltip : nullptr;
}

const char *ClockTooltipText(HWND window)
{
    const ClockWindowState *clock = StateOf(window);
    return clock ? clock->tipText : "";
}

void SetClockTransparency(HWND window, int alpha)
{
    SetWindowAlpha(window, alpha);
}

static ClockSettings SettingsWithRect(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    ClockSettings settings = clock.settings;
    RECT r;
    if (GetWindowRect(window, &r))
        settings.rect = {r.left, r.top, r.right, r.bottom};
    return settings;
}

static TOOLINFOA ClockTool(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = (UINT_PTR)window;
    tool.lpszText = clock.tipText;
    return tool;
}

static void CreateTooltip(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    clock.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 10, 10, window, nullptr,
                                    ModuleInstance(), nullptr);
    if (!clock.tooltip)
        return;
    clock.tipText[0] = '\0';
    TOOLINFOA tool = ClockTool(window);
    SendMessageA(clock.tooltip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    SendMessageA(clock.tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    SendMessageA(clock.tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, 1);
    SendMessageA(clock.tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 65535);
    SendMessageA(clock.tooltip, TTM_SETTIPBKCOLOR, 0xFF0000, 0);
    SendMessageA(clock.tooltip, TTM_SETTIPTEXTCOLOR, 0xFFFFFF, 0);
}

static void HideTooltip(const ClockWindowState &clock)
{
    if (clock.tooltip)
        SendMessageA(clock.tooltip, TTM_POP, 0, 0);
}

static void RedrawFace(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    ZtGetLocalTime(&clock.lastTime);
    DrawClockFace(window, clock.backBuffer, clock.lastTime, clock.shadedMap,
                  clock.settings.mapShift, clock.settings.view180, clock.settings.round,
                  &clock.secondHandEnd);
}

static void DeleteMaps(ClockWindowState &clock)
{
    FreeSunShade(&clock.shade);
    if (clock.sourceMap)
        DeleteObject(clock.sourceMap);
    if (clock.shadedMap)
        DeleteObject(clock.shadedMap);
    clock.sourceMap = clock.shadedMap = nullptr;
}

// Maps become 32-bit bitmaps whose alpha bytes are zero, whatever depth and
// compression the resource has, so the blend that brightens them adds colour.
static HBITMAP CreateMapBitmap(HDC reference, int width, int height)
{
    return CreateTopDownBitmap(reference, width, height, nullptr);
}

static HBITMAP LoadMap(int mapId)
{
    if (mapId < IDB_CLOCK_MAP_FIRST || mapId > IDB_CLOCK_MAP_LAST)
        return nullptr;
    HBITMAP resource = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(mapId));
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
static void RebuildShadedMap(ClockWindowState &clock)
{
    if (!clock.sourceMap)
        clock.sourceMap = LoadMap(clock.settings.mapId);
    if (!clock.sourceMap)
        return;
    BITMAP size;
    if (!GetObjectA(clock.sourceMap, sizeof size, &size))
        return;
    HDC screen = GetDC(nullptr);
    if (!clock.shadedMap)
        clock.shadedMap = CreateMapBitmap(screen, size.bmWidth, size.bmHeight);
    HDC source = CreateCompatibleDC(screen), copy = CreateCompatibleDC(screen);
    if (clock.shadedMap && source && copy) {
        HGDIOBJ oldSource = SelectObject(source, clock.sourceMap);
        HGDIOBJ oldCopy = SelectObject(copy, clock.shadedMap);
        BitBlt(copy, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
        if (InitSunShade(&clock.shade, copy, source, size.bmWidth, size.bmHeight) == 0)
            UpdateSunShade(&clock.shade);
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
    ClockWindowState &clock = *StateOf(window);
    if (FormatClockTooltip(clock.tipText, sizeof clock.tipText, now.wYear, now.wMonth,
                           now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond) < 0)
        clock.tipText[0] = '\0';
    clock.lastSecond = now.wSecond;
    if (clock.tooltip) {
        TOOLINFOA tool = ClockTool(window);
        SendMessageA(clock.tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&tool);
    }
}

static void OnSecondTimer(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    ZtGetLocalTime(&clock.lastTime);
    // Signed difference: the tick count wraps after 49 days.
    if ((LONG)(GetTickCount() - clock.nextFullRedraw) < 0) {
        DrawSecondHand(window, clock.lastTime, &clock.secondHandEnd);
        if (clock.lastTime.wSecond != clock.lastSecond)
            UpdateTooltipText(window, clock.lastTime);
    } else {
        clock.nextFullRedraw = GetTickCount() + CLOCK_FULL_REDRAW_MS;
        RedrawFace(window);
    }
}

static void OnTimer(HWND window, UINT_PTR id)
{
    ClockWindowState &clock = *StateOf(window);
    if (id == CLOCK_TIMER_SECOND)
        OnSecondTimer(window);
    else if (id == CLOCK_TIMER_MAP)
        RebuildShadedMap(clock);
}

static void ApplyTopmost(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    // Wine will not make a window topmost while it owns a topmost window (the
    // tooltip): it only lines the owner up under it. Let go of the tooltip
    // for the move and take it back after.
    if (clock.tooltip)
        SetWindowLongPtrA(clock.tooltip, GWLP_HWNDPARENT, 0);
    SetWindowPos(window, clock.settings.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (clock.tooltip)
        SetWindowLongPtrA(clock.tooltip, GWLP_HWNDPARENT, (LONG_PTR)window);
}

static int OnCreate(HWND window)
{
    HINSTANCE instance = ModuleInstance();
    ClockWindowState *state = new (std::nothrow) ClockWindowState();
    if (!state)
        return -1;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)state);
    ClockWindowState &clock = *state;
    clock.settings = DefaultClockSettings();
    clock.lastSecond = -1;
    clock.secondHandEnd = {-1, -1};
    clock.menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_CLOCK_MENU));
    clock.shiftCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CLOCK_SHIFT));
    clock.resizeCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CLOCK_RESIZE));
    CreateTooltip(window);

    RECT r;
    GetWindowRect(window, &r);
    clock.settings.rect = {r.left, r.top, r.right, r.bottom};
    LoadClockInfo(&clock.settings);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    ClockRect place = KeepClockOnDesktop(clock.settings.rect, desktop.right, desktop.bottom);
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top,
               TRUE);
    SetClockTransparency(window, clock.settings.alpha);

    ApplyTopmost(window);

    ZtGetLocalTime(&clock.lastTime);
    clock.nextFullRedraw = GetTickCount();
    SetTimer(window, CLOCK_TIMER_SECOND, CLOCK_SECOND_PERIOD_MS, nullptr);
    SetTimer(window, CLOCK_TIMER_MAP, CLOCK_MAP_PERIOD_MS, nullptr);
    RebuildShadedMap(clock);
    return 0;
}

static void OnSize(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    RECT client;
    GetClientRect(window, &client);
    // The system owns a region once it is set; replacing it frees the old one.
    HRGN region = nullptr;
    if (clock.settings.round)
        region = CreateEllipticRgn(0, 0, client.right, client.bottom);
    SetWindowRgn(window, region, TRUE);

    if (clock.backBuffer)
        DeleteObject(clock.backBuffer);
    clock.backBuffer = nullptr;
    HDC dc = GetDC(window);
    if (dc) {
        if (client.right > 0 && client.bottom > 0)
            clock.backBuffer = CreateCompatibleBitmap(dc, client.right, client.bottom);
        ReleaseDC(window, dc);
    }
    HideTooltip(clock);
}

static bool IsCommandChecked(const ClockWindowState &clock, UINT id)
{
    const ClockSettings &s = clock.settings;
    switch (id) {
    case IDM_CLOCK_SHIFT_MAP:
        return clock.shiftMode != 0;
    case IDM_CLOCK_RESIZE:
        return clock.resizeMode != 0;
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
static void SetMenuChecks(const ClockWindowState &clock, HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, i, TRUE, &item))
            continue;
        if (item.hSubMenu) {
            SetMenuChecks(clock, item.hSubMenu);
            continue;
        }
        if (item.fType & MFT_SEPARATOR)
            continue;
        CheckMenuItem(menu, i, MF_BYPOSITION | (IsCommandChecked(clock, item.wID) ? MF_CHECKED : 0));
    }
}

static void OnContextMenu(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    HMENU popup = clock.menu ? GetSubMenu(clock.menu, 0) : nullptr;
    if (!popup)
        return;
    SetMenuChecks(clock, popup);
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

static void ChangeMap(HWND window, int mapId)
{
    ClockWindowState &clock = *StateOf(window);
    clock.settings.mapId = mapId;
    DeleteMaps(clock);
    RebuildShadedMap(clock);
    RedrawFace(window);
}

static void ChangeShape(HWND window, int round)
{
    ClockWindowState &clock = *StateOf(window);
    clock.settings.round = round;
    OnSize(window);
    InvalidateRect(window, nullptr, FALSE);
}

static void OnCommand(HWND window, UINT id)
{
    ClockWindowState &clock = *StateOf(window);
    switch (id) {
    case IDM_CLOCK_SHIFT_MAP:
        clock.shiftMode = !clock.shiftMode;
        return;
    case IDM_CLOCK_RESIZE:
        clock.resizeMode = !clock.resizeMode;
        return;
    case IDM_CLOCK_CALENDAR:
        ShowCalendar(window);
        return;
    case IDM_CLOCK_TOPMOST:
        clock.settings.topmost = !clock.settings.topmost;
        ApplyTopmost(window);
        return;
    case IDM_CLOCK_ROUND:
    case IDM_CLOCK_RECTANGLE:
        ChangeShape(window, id == IDM_CLOCK_ROUND);
        return;
    case IDM_CLOCK_VIEW_180:
    case IDM_CLOCK_VIEW_360:
        clock.settings.view180 = id == IDM_CLOCK_VIEW_180;
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
        clock.settings.alpha = TransparencyAlpha((int)id);
        SetClockTransparency(window, clock.settings.alpha);
    }
}

static void OnMouseMove(HWND window, WPARAM keys, int x, int y)
{
    ClockWindowState &clock = *StateOf(window);
    if (keys & MK_LBUTTON) {
        RECT r;
        GetWindowRect(window, &r);
        if ((keys & MK_SHIFT) || clock.shiftMode) {
            clock.settings.mapShift = WrapMapShift(clock.settings.mapShift + (clock.lastX - x));
            clock.lastX = x;
            SetCursor(clock.shiftCursor);
            RedrawFace(window);
        } else if ((keys & MK_CONTROL) || clock.resizeMode) {
            SetCursor(clock.resizeCursor);
            int width = ResizedExtent(r.right - r.left, clock.lastX, x);
            int height = ResizedExtent(r.bottom - r.top, clock.lastY, y);
            SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
            clock.lastX = x;
            clock.lastY = y;
        } else {
            SetWindowPos(window, nullptr, r.left + x - clock.lastX, r.top + y - clock.lastY, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
        }
    } else {
        ReleaseCapture();
    }
    if (clock.tooltip)
        SendMessageA(clock.tooltip, TTM_ACTIVATE, TRUE, 0);
}

static void OnButton(HWND window, bool down, int x, int y)
{
    ClockWindowState &clock = *StateOf(window);
    clock.lastX = x;
    clock.lastY = y;
    if (down) {
        SetCapture(window);
    } else {
        ReleaseCapture();
        HideTooltip(clock);
    }
}

static void OnDestroy(HWND window)
{
    ClockWindowState &clock = *StateOf(window);
    SaveClockInfo(SettingsWithRect(window));
    KillTimer(window, CLOCK_TIMER_SECOND);
    KillTimer(window, CLOCK_TIMER_MAP);
    DeleteMaps(clock);
    if (clock.backBuffer)
        DeleteObject(clock.backBuffer);
    if (clock.shiftCursor)
        DestroyCursor(clock.shiftCursor);
    if (clock.resizeCursor)
        DestroyCursor(clock.resizeCursor);
    if (clock.tooltip)
        DestroyWindow(clock.tooltip);
    if (clock.menu)
        DestroyMenu(clock.menu);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete &clock;
}

LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return OnCreate(window);
    // Before its creation and after its destruction the window has no clock.
    if (!StateOf(window))
        return DefWindowProcA(window, message, wParam, lParam);
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    switch (message) {
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

    RegisterWindowClass(ModuleInstance(), CLOCK_CLASS, ClockWndProc,
                        {CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                         nullptr});

    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, CLOCK_CLASS, "", WS_POPUP, CLOCK_START_X,
                                  CLOCK_START_Y, CLOCK_START_SIZE, CLOCK_START_SIZE,
                                  GetDesktopWindow(), nullptr, ModuleInstance(), nullptr);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}
