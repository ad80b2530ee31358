#include "note_window.h"

#include "core_ids.h"
#include "zettly_slots.h"

LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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
