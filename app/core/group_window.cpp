#include "group_window.h"

#include "core_ids.h"
#include "zettly_slots.h"

void RegisterGroupClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = GroupWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = ZETTLY_GROUP_CLASS;
    RegisterClassA(&wc);
}

void UnregisterGroupClass(HINSTANCE instance)
{
    UnregisterClassA(ZETTLY_GROUP_CLASS, instance);
}

void LayoutGroupScrollBars(int groupSlot)
{
    (void)groupSlot;
}

LRESULT CALLBACK GroupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        const CREATESTRUCTA *cs = (const CREATESTRUCTA *)lParam;
        int slot = (int)((UINT_PTR)cs->lpCreateParams & 0xFFFF);
        if (slot <= ZETTLY_LAST_NOTE_SLOT)
            ZettlyTable[slot].window = window;
        break;
    }
    case WM_DESTROY:
        ReleaseZettlySlot(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
