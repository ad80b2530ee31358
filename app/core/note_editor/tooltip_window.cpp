#include "tooltip_window.h"

#include "core/core_ids.h"
#include "note_edit.h"
#include "transparency.h"
#include "core/notes_table/zettly_slots.h"
#include "window_class.h"

enum { TOOLTIP_TEXT_CHARS = 1023 };

// Whether the class is registered is the window system's to know: a tip of an
// unregistered class is simply not created.
void RegisterToolTipClass(HINSTANCE instance)
{
    RegisterWindowClass(instance, ZETTLY_TOOLTIP_CLASS, ToolTipWndProc,
                        {CS_SAVEBITS | CS_GLOBALCLASS, nullptr, nullptr});
}

void UnregisterToolTipClass(HINSTANCE instance)
{
    UnregisterClassA(ZETTLY_TOOLTIP_CLASS, instance);
}

HWND ShowZettlyToolTip(ZettlyEditState *state)
{
    if (!state)
        return nullptr;
    // The tip sizes itself when it paints, but a window without any client
    // area is never asked to paint: it starts one pixel inside its border.
    int width = 2 * GetSystemMetrics(SM_CXBORDER) + 1;
    int height = 2 * GetSystemMetrics(SM_CYBORDER) + 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ZETTLY_TOOLTIP_CLASS, "",
                                  WS_POPUP | WS_DISABLED | WS_BORDER, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)state);
    ApplyZettlyAlpha(window, state->slot);
    return window;
}

static HFONT CreateToolTipFont(void)
{
    LOGFONTA font = {};
    font.lfHeight = -10;
    font.lfWeight = 800;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = 1;
    font.lfClipPrecision = 2;
    font.lfQuality = 1;
    font.lfPitchAndFamily = 0x20;
    lstrcpyA(font.lfFaceName, "MS LineDraw");
    return CreateFontIndirectA(&font);
}

static ZettlyEditState *StateOf(HWND window)
{
    return (ZettlyEditState *)GetWindowLongPtrA(window, GWLP_USERDATA);
}

// The slot of the note, or -1 while the note is rolled up, hidden or gone:
// then the tooltip must not show.
static int VisibleNoteSlot(const ZettlyEditState *state)
{
    int slot = FindZettlyByWindow(state->note);
    if (slot < 0 || ZettlyTable[slot].rolledUp || ZettlyTable[slot].showCommand == 0)
        return -1;
    return slot;
}

// Centred under the note, but never over the edit toolbar that sits there too.
static int ToolTipLeft(const ZettlyEditState *state, const RECT &note, int textWidth)
{
    int x = note.left + ((note.right - note.left) / 2 - textWidth / 2);
    HWND toolbar = state->edit
                       ? (HWND)SendMessageA(state->edit, WM_USER, EDIT_GET_TOOLBAR, 0)
                       : nullptr;
    RECT bar;
    if (toolbar && GetWindowRect(toolbar, &bar) && x < bar.right)
        x = bar.right;
    return x;
}

static void PaintToolTip(HWND window, int slot, const ZettlyEditState *state, HDC dc)
{
    char text[TOOLTIP_TEXT_CHARS + 1];
    int length = GetWindowTextA(window, text, sizeof text);
    if (length <= 0)
        return;
    HFONT font = CreateToolTipFont();
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetMapMode(dc, MM_TEXT);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    RECT note;
    if (GetWindowRect(state->note, &note))
        MoveWindow(window, ToolTipLeft(state, note, size.cx), note.bottom, size.cx + 4,
                   size.cy + 2, TRUE);
    RECT client;
    GetClientRect(window, &client);
    const ZettlyRecord &z = ZettlyTable[slot];
    HBRUSH back = CreateSolidBrush(z.backColour);
    if (back) {
        FillRect(dc, &client, back);
        DeleteObject(back);
    }
    SetTextColor(dc, z.textColour);
    SetBkColor(dc, z.backColour);
    DrawTextA(dc, text, length, &client, DT_NOPREFIX | DT_VCENTER | DT_CENTER | DT_SINGLELINE);
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
}

static LRESULT OnToolTipPaint(HWND window)
{
    ZettlyEditState *state = StateOf(window);
    if (!state)
        return DefWindowProcA(window, WM_PAINT, 0, 0);
    int slot = VisibleNoteSlot(state);
    if (slot < 0) {
        ShowWindow(window, SW_HIDE);
        ValidateRect(window, nullptr);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc)
        PaintToolTip(window, slot, state, dc);
    EndPaint(window, &ps);
    return 0;
}

static LRESULT OnToolTipNcPaint(HWND window, WPARAM wParam, LPARAM lParam)
{
    ZettlyEditState *state = StateOf(window);
    if (state && VisibleNoteSlot(state) < 0)
        return 0;
    return DefWindowProcA(window, WM_NCPAINT, wParam, lParam);
}

LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return OnToolTipPaint(window);
    case WM_NCPAINT:
        return OnToolTipNcPaint(window, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
