#include "note_title_strip.h"

#include "core/core_ids.h"
#include "alarm_blink.h"
#include "note_frame.h"
#include "note_geometry.h"
#include "note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

// LoadIcon hands out the system's shared copy of a resource icon, which is
// never freed: asking for it at each drawing costs a look-up and keeps no
// handles of our own.
static void DrawStripIcon(HDC dc, int iconId, int x, int size)
{
    if (x == STRIP_NO_ICON || size <= 0)
        return;
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    if (icon)
        DrawIconEx(dc, x, 0, icon, size, size, 0, nullptr, DI_NORMAL);
}

// The strip is drawn off screen first: the gradient fills one column at a
// time and would flicker on the window itself.
static void DrawStrip(HDC target, HWND note, int slot, int width, int h)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(target, width, h) : nullptr;
    if (!bitmap) {
        if (dc)
            DeleteDC(dc);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    SetMapMode(dc, MM_TEXT);

    COLORREF base = StripBaseColour(z, slot);
    COLORREF strip = NearestColour(dc, base);
    RECT r = {0, 0, width, h};
    if (ZettlyInfo.titleGradient && strip != base) {
        FillGradientRect(dc, strip, ShownBlinkColour(z, slot), &r);
    } else {
        HBRUSH brush = CreateSolidBrush(strip);
        if (brush) {
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
    }

    HFONT font = CreateFontIndirectA(AsLOGFONT(&z->titleFont));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, z->textColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, z->title, -1, &r, DT_NOPREFIX | DT_VCENTER);
    if (oldFont)
        SelectObject(dc, oldFont);
    if (font)
        DeleteObject(font);

    TitleStripLayout l = LayoutTitleStrip(width, h, ZettlyInfo.closeButton, z->alarmActive,
                                          z->calculatorMode, z->consoleMode);
    DrawStripIcon(dc, IDI_NOTE_CLOSE, l.closeX, l.size);
    DrawStripIcon(dc, IDI_NOTE_ALARM, l.alarmX, l.size);
    DrawStripIcon(dc, IDI_NOTE_CALCULATOR, l.calculatorX, l.size);
    DrawStripIcon(dc, IDI_NOTE_CONSOLE, l.consoleX, l.size);

    // A black note's strip cannot be darkened: a sunken line parts it from the text.
    if (strip == base && !z->rolledUp)
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_BOTTOM);

    BitBlt(target, 0, 0, width, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void PaintTitleStrip(HWND note, int slot, HDC given)
{
    if (slot < 0)
        return;
    RECT client;
    GetClientRect(note, &client);
    int h = GetFontCharHeight(note, slot);
    if (client.right <= 0 || h <= 0)
        return;
    HDC dc = given ? given : GetDC(note);
    if (!dc)
        return;
    DrawStrip(dc, note, slot, client.right, h);
    if (!given)
        ReleaseDC(note, dc);
}

void DrawCloseButton(HWND note, int slot, BOOL held)
{
    if (slot < 0 || !ZettlyInfo.closeButton)
        return;
    RECT client;
    GetClientRect(note, &client);
    int h = GetFontCharHeight(note, slot);
    TitleStripLayout l = LayoutTitleStrip(client.right, h, 1, 0, 0, 0);
    HDC dc = GetDC(note);
    if (!dc)
        return;
    DrawStripIcon(dc, held ? IDI_NOTE_CLOSE_HOT : IDI_NOTE_CLOSE, l.closeX, l.size);
    ReleaseDC(note, dc);
}
