#include "clock_settings.h"

#include <commctrl.h>

#include "clock_ids.h"
#include "module_instance.h"
#include "registry_text.h"
#include "ui_seams.h"

int LoadClockInfo(ClockSettings *settings)
{
    HKEY key;
    if (RegOpenKeyExA(ZtRegistryRoot(), CLOCK_REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    char text[CLOCK_INFO_BYTES];
    // A cut text would read as other settings: one too long is no setting.
    LONG result = ReadRegistryString(key, CLOCK_INFO_VALUE, text, sizeof text, REGISTRY_TEXT_WHOLE);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return -1;
    ParseClockInfo(text, strlen(text), settings);
    SanitiseClockSettings(settings);

    RECT desktop;
    if (GetClientRect(GetDesktopWindow(), &desktop))
        settings->rect = ClampClockRect(settings->rect, desktop.right - desktop.left,
                                        desktop.bottom - desktop.top);
    return 0;
}

int SaveClockInfo(const ClockSettings &settings)
{
    HKEY key = CreateSettingsKey(CLOCK_REGISTRY_KEY, true);
    if (!key)
        return -1;
    char text[CLOCK_INFO_BYTES];
    int length = FormatClockInfo(settings, text, sizeof text);
    LONG result = ERROR_INVALID_DATA;
    if (length >= 0)
        result = WriteRegistryString(key, CLOCK_INFO_VALUE, text, sizeof text);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : -1;
}

static void OnCalendarInit(HWND dialog, HWND clock)
{
    RECT clockRect, dialogRect, desktop;
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (clock && GetWindowRect(clock, &clockRect)) {
        ClockRect place = {clockRect.left, clockRect.top, clockRect.right, clockRect.bottom};
        int left, top;
        PlaceCalendar(place, dialogRect.right - dialogRect.left,
                      dialogRect.bottom - dialogRect.top, desktop.bottom, &left, &top);
        SetWindowPos(dialog, nullptr, left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
    SendDlgItemMessageA(dialog, IDC_CALENDAR_MONTH, MCM_SETMAXSELCOUNT, 31, 0);
}

INT_PTR CALLBACK CalendarDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnCalendarInit(dialog, (HWND)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CALENDAR_QUIT) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR ShowCalendar(HWND clock)
{
    return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_CLOCK_CALENDAR), clock,
                           CalendarDlgProc, (LPARAM)clock);
}
