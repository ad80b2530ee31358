#include "note_colours.h"

#include <commdlg.h>

#include <cstring>

#include "colour_steps.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

bool PickColour(HWND owner, COLORREF *colour, COLORREF custom[16])
{
    CHOOSECOLORA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.rgbResult = *colour;
    choice.lpCustColors = custom;
    choice.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorA(&choice))
        return false;
    *colour = choice.rgbResult;
    return true;
}

COLORREF ShadeColour(COLORREF colour)
{
    return (COLORREF)DarkenColour((uint32_t)colour);
}

COLORREF NearestColour(HDC dc, COLORREF colour)
{
    return GetNearestColor(dc, DarkenColour(colour));
}

void FillGradientRect(HDC dc, COLORREF left, COLORREF right, const RECT *r)
{
    int n = r->right - r->left;
    for (int i = 0; i < n; ++i) {
        HBRUSH brush = CreateSolidBrush(GradientColumnColour(left, right, n, i));
        if (!brush)
            continue;
        RECT column = {r->left + i, r->top, r->left + i + 1, r->bottom};
        FillRect(dc, &column, brush);
        DeleteObject(brush);
    }
}

void FillSolidRect(HDC dc, const RECT *r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    FillRect(dc, r, brush);
    DeleteObject(brush);
}

// An empty title still takes the room of one blank.
static const char *EntryText(int slot, int *length)
{
    const char *title = ZettlyTable[slot].title;
    *length = (int)strnlen(title, ZETTLY_TITLE_BYTES - 1);
    if (*length == 0) {
        *length = 1;
        return " ";
    }
    return title;
}

void MeasureTitleEntry(HWND window, int slot, MEASUREITEMSTRUCT *item)
{
    item->itemWidth = 4;
    item->itemHeight = 4;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    HFONT font = CreateFontIndirectA(AsLOGFONT(&ZettlyTable[slot].titleFont));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    int length;
    const char *text = EntryText(slot, &length);
    DWORD extent = GetTabbedTextExtentA(dc, text, length, 0, nullptr);
    item->itemWidth = LOWORD(extent) + 4;
    item->itemHeight = HIWORD(extent) + 4;
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
    ReleaseDC(window, dc);
}

static void FillEntryBackground(HDC dc, const RECT *r, COLORREF fill, const ZettlyRecord &z)
{
    if (ZettlyInfo.titleGradient && GetNearestColor(dc, fill) != z.backColour) {
        FillGradientRect(dc, fill, z.blinkColour, r);
        return;
    }
    HBRUSH brush = CreateSolidBrush(fill);
    if (brush) {
        FillRect(dc, r, brush);
        DeleteObject(brush);
    }
}

void DrawTitleEntry(HDC dc, RECT r, int slot, bool selected)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    COLORREF shade = ShadeColour(z.backColour);
    COLORREF fill = selected ? z.textColour : shade;
    COLORREF text = selected ? shade : z.textColour;
    FillEntryBackground(dc, &r, fill, z);

    HFONT font = CreateFontIndirectA(AsLOGFONT(const_cast<ZettlyLogFont *>(&z.titleFont)));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, GetNearestColor(dc, text));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT inner = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    int length;
    const char *title = EntryText(slot, &length);
    DrawTextA(dc, title, length, &inner, DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
    if (selected)
        DrawFocusRect(dc, &inner);
}
