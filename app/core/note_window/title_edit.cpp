#include "title_edit.h"

#include <cstring>

#include "core/core_ids.h"
#include "note_window.h"
#include "core/notes_table/zettly_slots.h"

enum { TITLE_MAX_CHARS = ZETTLY_TITLE_BYTES - 5 }; // 255 characters

struct TitleEditState {
    int32_t slot;
    int32_t caretHeight, caretWidth; // 0 until first measured
    WNDPROC previous;
    BOOL cancelled; // Escape: the focus leaves without storing the title
};

HWND CreateTitleEdit(HWND note, int slot)
{
    TitleEditState *state =
        (TitleEditState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *state);
    if (!state)
        return nullptr;
    // Made the size of the strip, so that sizing the window finds it so.
    RECT client = {0, 0, 0, 0};
    GetClientRect(note, &client);
    HWND control = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TRANSPARENT, "EDIT", nullptr,
                                   WS_CHILD | ES_AUTOHSCROLL, 0, 0, client.right,
                                   GetFontCharHeight(note, slot), note, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    if (!control) {
        HeapFree(GetProcessHeap(), 0, state);
        return nullptr;
    }
    state->slot = slot;
    state->previous =
        (WNDPROC)SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)TitleEditProc);
    SetWindowLongPtrA(control, GWLP_USERDATA, (LONG_PTR)state);
    SendMessageA(control, EM_LIMITTEXT, TITLE_MAX_CHARS, 0);
    return control;
}

LRESULT ShowTitleEdit(HWND note, int slot)
{
    if (slot < 0)
        return 0;
    ZettlyRecord *z = &ZettlyTable[slot];
    if (!z->titleEdit)
        return 0;
    RECT client;
    GetClientRect(note, &client);
    int h = GetFontCharHeight(note, slot);
    SetWindowTextA(z->titleEdit, z->title);
    SetWindowPos(z->titleEdit, nullptr, 0, 0, client.right, h,
                 SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
    int length = GetWindowTextLengthA(z->titleEdit);
    SendMessageA(z->titleEdit, EM_SETSEL, length, length);
    SetFocus(z->titleEdit);
    return 0;
}

static void StoreTitle(HWND control, int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    char text[TITLE_MAX_CHARS + 1];
    int got = GetWindowTextA(control, text, sizeof text);
    text[got > 0 && got < (int)sizeof text ? got : 0] = 0;
    std::memcpy(z->title, text, (size_t)lstrlenA(text) + 1);
    SetWindowTextA(z->window, z->title);
    RECT strip;
    GetClientRect(z->window, &strip);
    InvalidateRect(z->window, &strip, FALSE);
}

static void RedrawBlockCaret(HWND control, TitleEditState *state)
{
    if (state->caretWidth == 0 || state->caretHeight == 0) {
        state->caretWidth = GetFontCharWidth(control, state->slot);
        state->caretHeight = GetFontCharHeight(control, state->slot);
    }
    POINT at;
    GetCaretPos(&at);
    DestroyCaret();
    CreateCaret(control, nullptr, state->caretWidth, state->caretHeight);
    SetCaretPos(at.x, at.y);
    ShowCaret(control);
}

static LRESULT OnTitleKillFocus(HWND control, TitleEditState *state, WPARAM wParam,
                                LPARAM lParam)
{
    ShowWindow(control, SW_HIDE);
    DestroyCaret();
    CallWindowProcA(state->previous, control, WM_KILLFOCUS, wParam, lParam);
    if (!state->cancelled)
        StoreTitle(control, state->slot);
    state->cancelled = FALSE;
    return 0;
}

static LRESULT OnTitleChar(HWND control, TitleEditState *state, WPARAM wParam, LPARAM lParam)
{
    int slot = state->slot;
    bool known = slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT;
    if (wParam == '\r' || wParam == '\n') {
        StoreTitle(control, slot);
        if (known && ZettlyTable[slot].editWindow)
            SetFocus(ZettlyTable[slot].editWindow);
        return 0;
    }
    if (wParam == VK_ESCAPE) {
        state->cancelled = TRUE;
        SetFocus(GetParent(control));
        return 0;
    }
    CallWindowProcA(state->previous, control, WM_CHAR, wParam, lParam);
    RedrawBlockCaret(control, state);
    return 0;
}

LRESULT CALLBACK TitleEditProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    TitleEditState *state = (TitleEditState *)GetWindowLongPtrA(control, GWLP_USERDATA);
    // A control without its block (not yet given, or already freed) is a
    // plain edit control.
    if (!state)
        return CallWindowProcA((WNDPROC)GetClassLongPtrA(control, GCLP_WNDPROC), control, message,
                               wParam, lParam);
    switch (message) {
    case WM_CHAR:
        return OnTitleChar(control, state, wParam, lParam);
    case WM_KILLFOCUS:
        return OnTitleKillFocus(control, state, wParam, lParam);
    case WM_NCDESTROY: {
        WNDPROC previous = state->previous;
        SetWindowLongPtrA(control, GWLP_USERDATA, 0);
        HeapFree(GetProcessHeap(), 0, state);
        return CallWindowProcA(previous, control, message, wParam, lParam);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_PAINT:
        CallWindowProcA(state->previous, control, message, wParam, lParam);
        if (GetFocus() == control)
            RedrawBlockCaret(control, state);
        return 0;
    }
    return CallWindowProcA(state->previous, control, message, wParam, lParam);
}
