#include "note_window.h"

#include <richedit.h>

#include "core_ids.h"
#include "startup.h"
#include "zettly_slots.h"

static void OnNoteCreate(HWND window, const CREATESTRUCTA *cs)
{
    int slot = (int)((UINT_PTR)cs->lpCreateParams & 0xFFFF);
    if (slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    z->window = window;
    z->editWindow = CreateWindowExA(WS_EX_TRANSPARENT,
                                    RichEditClassName[0] ? RichEditClassName : RICH_EDIT_CLASS,
                                    "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0,
                                    0, 0, 0, window, (HMENU)1, cs->hInstance, nullptr);
}

static void OnNoteSize(HWND window, int width, int height)
{
    int slot = FindZettlyByWindow(window);
    if (slot >= 0 && ZettlyTable[slot].editWindow)
        MoveWindow(ZettlyTable[slot].editWindow, 0, 0, width, height, TRUE);
}

LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnNoteCreate(window, (const CREATESTRUCTA *)lParam);
        return 0;
    case WM_SIZE:
        OnNoteSize(window, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        ReleaseZettlySlot(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
