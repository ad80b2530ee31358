#include "note_frame.h"

#include <windowsx.h>

#include "alarm_blink.h"
#include "note_geometry.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "window_creation.h"

static ZettlyRect FromRECT(const RECT &r)
{
    return ZettlyRect{r.left, r.top, r.right, r.bottom};
}

static LatchMember MemberOf(int slot)
{
    if (slot < 0)
        return LatchMember{-1, 0, 0, -1};
    const ZettlyRecord &z = ZettlyTable[slot];
    return LatchMember{slot, z.isGroup, z.isMember, z.groupSlot};
}

// The rectangles a moving window may latch onto, in slot order.
static int CollectNeighbours(HWND moving, int slot, ZettlyRect *out)
{
    LatchMember self = MemberOf(slot);
    int count = 0;
    for (int other = 0; other <= ZETTLY_LAST_NOTE_SLOT; ++other) {
        const ZettlyRecord &z = ZettlyTable[other];
        if (!z.window || z.window == moving || z.showCommand != SW_SHOWNORMAL)
            continue;
        if (!LatchGroupRuleAllows(self, MemberOf(other)))
            continue;
        RECT r;
        if (GetWindowRect(z.window, &r))
            out[count++] = FromRECT(r);
    }
    return count;
}

void MoveZettlyWindow(HWND window, LPARAM pointer, int anchorX, int anchorY, int slot)
{
    RECT w;
    if (!GetWindowRect(window, &w))
        return;
    int width = w.right - w.left, height = w.bottom - w.top;
    LatchPoint p = {GET_X_LPARAM(pointer) - anchorX + w.left,
                    GET_Y_LPARAM(pointer) - anchorY + w.top};
    if (ZettlyInfo.latching) {
        ZettlyRect neighbours[ZETTLY_LAST_NOTE_SLOT + 1];
        int count = CollectNeighbours(window, slot, neighbours);
        p = LatchToNeighbours(p.x, p.y, width, height, neighbours, count,
                              ZettlyInfo.latchDistance);
    }
    if (slot >= 0)
        PlaceInGroup(slot, &p.x, &p.y, TRUE);
    ReleaseZettlyPlace(window);
    MoveWindow(window, p.x, p.y, width, height, TRUE);
}

static void FillColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

static void OutlineWindow(HDC dc, int width, int height, int penWidth, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, penWidth, colour);
    if (!pen)
        return;
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, 0, 0, width, height);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void PaintZettlyFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int slot)
{
    if (slot < 0)
        return;
    const ZettlyRecord &z = ZettlyTable[slot];
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, (DWORD)GetWindowLongPtrA(window, GWL_STYLE), GetMenu(window) != nullptr,
                       (DWORD)GetWindowLongPtrA(window, GWL_EXSTYLE));
    int b = frame.right;
    RECT w;
    GetWindowRect(window, &w);
    int width = w.right - w.left, height = w.bottom - w.top;
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    if (ZettlyInfo.titleGradient) {
        int t = GetFontCharHeight(window, slot);
        COLORREF blink = ShownBlinkColour(&z, slot);
        COLORREF s = NearestColour(dc, StripBaseColour(&z, slot));
        FillColour(dc, 0, t + b, b, height - b, z.backColour);
        FillColour(dc, width - b, b, width, height - b, blink);
        FillColour(dc, 0, b, b, t + b, s);
        RECT top = {0, 0, width, b}, bottom = {0, height - b, width, height};
        FillGradientRect(dc, s, blink, &top);
        FillGradientRect(dc, s, blink, &bottom);
    } else {
        OutlineWindow(dc, width, height, 2 * b, z.backColour);
    }
    if (ZettlyInfo.blackBorder)
        OutlineWindow(dc, width, height, 1, RGB(0, 0, 0));
    ReleaseDC(window, dc);
}
