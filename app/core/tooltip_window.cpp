#include "tooltip_window.h"

#include "core_ids.h"

static BOOL ToolTipClassRegistered;

void RegisterToolTipClass(HINSTANCE instance)
{
    if (ToolTipClassRegistered)
        return;
    WNDCLASSA wc = {};
    wc.style = CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ToolTipWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = ZETTLY_TOOLTIP_CLASS;
    ToolTipClassRegistered = RegisterClassA(&wc) != 0;
}

void UnregisterToolTipClass(HINSTANCE instance)
{
    if (ToolTipClassRegistered && UnregisterClassA(ZETTLY_TOOLTIP_CLASS, instance))
        ToolTipClassRegistered = FALSE;
}

LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
