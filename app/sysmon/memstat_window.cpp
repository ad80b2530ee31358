#include "memstat_window.h"

#include <cstdio>
#include <windowsx.h>

#include "registry_text.h"
#include "window_alpha.h"
#include "ui_seams.h"
#include "perf_counters.h"
#include "sysmon_ids.h"
#include "window_class.h"

// The meter's settings outlive its window: "Top Most Window" keeps its value
// from one opening to the next while the program runs.
static MemStatSettings Settings;

struct MemStatState {
    HMENU menu;
    HWND tooltip;
    PerfCounterContext *context;
    POINT press; // client point of the drag's press
};

const MemStatSettings &CurrentMemStatSettings(void)
{
    return Settings;
}

static MemStatState *StateOf(HWND window)
{
    return (MemStatState *)GetWindowLongPtrA(window, GWLP_USERDATA);
}

static void LoadSettings(void)
{
    HKEY key;
    if (RegOpenKeyExA(ZtRegistryRoot(), MEMSTAT_REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        SetMemStatDefaults(&Settings);
        return;
    }
    char text[128];
    if (ReadRegistryString(key, MEMSTAT_VALUE, text, sizeof text) == ERROR_SUCCESS)
        ParseMemStatSettings(text, &Settings);
    RegCloseKey(key);
}

int MemStatSaveSettings(HWND window)
{
    HKEY key = CreateSettingsKey(MEMSTAT_REGISTRY_KEY, true);
    RECT r;
    if (GetWindowRect(window, &r)) {
        Settings.x = r.left;
        Settings.y = r.top;
        Settings.width = r.right - r.left;
        Settings.height = r.bottom - r.top;
    }
    if (!key)
        return -1;
    char text[128];
    FormatMemStatSettings(Settings, text, sizeof text);
    LONG result = WriteRegistryString(key, MEMSTAT_VALUE, text, sizeof text);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -1;
}

HWND MemStatCreateWindow(HWND owner)
{
    LoadSettings();
    DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_STATICEDGE;
    if (Settings.topmost)
        exStyle |= WS_EX_TOPMOST;
    if (Settings.clientEdge)
        exStyle |= WS_EX_CLIENTEDGE;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(instance, MEMSTAT_CLASS, MemStatWndProc,
                        {CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                         nullptr});
    HWND window = CreateWindowExA(exStyle, MEMSTAT_CLASS, "", WS_POPUP | WS_THICKFRAME,
                                  Settings.x, Settings.y, Settings.width, Settings.height, owner,
                                  nullptr, instance, nullptr);
    if (!window) {
        ZtMessageBox(nullptr, "Unable to create memstat window!", "error", MB_ICONSTOP);
        return nullptr;
    }
    SetWindowAlpha(window, Settings.alpha);
    ShowWindow(window, SW_SHOW);
    return window;
}

static void Paint(HWND window, MemStatState *s, int reuse)
{
    if (s && s->context)
        MemStatPaintGraph(window, s->tooltip, 1, reuse, s->context);
}

// A timer tick brings its time; only a repaint asked for without one reuses
// the processor loads of the last tick.
static void CALLBACK OnMeterTimer(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    if (id != MEMSTAT_TIMER)
        return;
    Paint(window, StateOf(window), time == 0);
    ValidateRect(window, nullptr);
}

static LRESULT OnCreate(HWND window)
{
    auto *s = (MemStatState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MemStatState));
    if (!s)
        return -1;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)s);
    s->menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_MEMSTAT));
    s->context = OpenLoadCounters(window);
    if (!s->context)
        return 0;
    s->tooltip = CreateToolTipWindow(window);
    SetTimer(window, MEMSTAT_TIMER, MEMSTAT_PERIOD_MS, OnMeterTimer);
    return 0;
}

static void ReleaseResources(HWND window, MemStatState *s)
{
    KillTimer(window, MEMSTAT_TIMER);
    if (s->menu)
        DestroyMenu(s->menu);
    if (s->tooltip)
        DestroyWindow(s->tooltip);
    s->menu = nullptr;
    s->tooltip = nullptr;
    if (s->context)
        CloseLoadCounters(s->context);
    s->context = nullptr;
}

static void OnDestroy(HWND window)
{
    MemStatState *s = StateOf(window);
    MemStatSaveSettings(window);
    if (!s)
        return;
    ReleaseResources(window, s);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    HeapFree(GetProcessHeap(), 0, s);
}

static void OnMouse(HWND window, MemStatState *s, UINT message, WPARAM keys, LPARAM lParam)
{
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (message == WM_LBUTTONDOWN) {
        s->press = at;
        SetCapture(window);
    } else if (message == WM_LBUTTONUP) {
        s->press = at;
        ReleaseCapture();
    } else if (keys != MK_LBUTTON) {
        ReleaseCapture();
    } else if (GetCapture() == window) {
        // The press point is in client coordinates; keep it under the pointer.
        POINT cursor, origin = {0, 0};
        RECT r;
        GetCursorPos(&cursor);
        ClientToScreen(window, &origin);
        GetWindowRect(window, &r);
        MoveWindow(window, cursor.x - s->press.x - (origin.x - r.left),
                   cursor.y - s->press.y - (origin.y - r.top), r.right - r.left,
                   r.bottom - r.top, TRUE);
    }
}

static void OnContextMenu(HWND window, MemStatState *s, LPARAM lParam)
{
    HMENU popup = s->menu ? GetSubMenu(s->menu, 0) : nullptr;
    if (!popup)
        return;
    for (int id = IDC_MEMSTAT_ALPHA_OFF; id <= IDC_MEMSTAT_ALPHA_90; id += 10)
        CheckMenuItem(popup, id, MF_BYCOMMAND | MF_UNCHECKED);
    int checked = MemStatCheckedCommand(Settings.alpha);
    if (checked >= 0)
        CheckMenuItem(popup, checked, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(popup, IDC_MEMSTAT_TOPMOST,
                  MF_BYCOMMAND | (Settings.topmost ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, IDC_MEMSTAT_CLIENT_EDGE,
                  MF_BYCOMMAND | (Settings.clientEdge ? MF_CHECKED : MF_UNCHECKED));
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) // from the keyboard: at the pointer
        GetCursorPos(&at);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
}

static void OnCommand(HWND window, int id)
{
    if (id == IDC_MEMSTAT_CLIENT_EDGE) {
        LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
        Settings.clientEdge = Settings.clientEdge ? 0 : 1;
        ex = Settings.clientEdge ? ex | WS_EX_CLIENTEDGE : ex & ~(LONG_PTR)WS_EX_CLIENTEDGE;
        SetWindowLongPtrA(window, GWL_EXSTYLE, ex);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    } else if (id == IDC_MEMSTAT_TOPMOST) {
        bool topmost = (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        Settings.topmost = topmost ? 0 : 1;
        SetWindowPos(window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    } else if (id == IDC_MEMSTAT_QUIT) {
        DestroyWindow(window);
    } else {
        int alpha = MemStatAlphaForCommand(id);
        if (alpha == -2)
            return;
        Settings.alpha = alpha;
        SetWindowAlpha(window, alpha);
    }
}

LRESULT CALLBACK MemStatWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MemStatState *s = StateOf(window);
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_TIMER:
        OnMeterTimer(window, message, wParam, (DWORD)lParam);
        return 1;
    case WM_PAINT:
        Paint(window, s, 1);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        if (s)
            OnMouse(window, s, message, wParam, lParam);
        break;
    case WM_CONTEXTMENU:
        if (s)
            OnContextMenu(window, s, lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        break;
    case WM_ENDSESSION:
        MemStatSaveSettings(window);
        if (s)
            ReleaseResources(window, s);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
