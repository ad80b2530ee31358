// The about text running through its strip under the screen on a sine wave.
#include <string.h>

#include "arcade_about.h"
#include "arcade_dialog_rules.h"
#include "arcade_ids.h"

struct PaintSurface {
    HWND strip;
    HDC stripDc;
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ keptBitmap;
    HBRUSH brush;
    int width, height;
};

static void ReleaseSurface(PaintSurface *s)
{
    if (s->memory && s->keptBitmap)
        SelectObject(s->memory, s->keptBitmap);
    if (s->bitmap)
        DeleteObject(s->bitmap);
    if (s->brush)
        DeleteObject(s->brush);
    if (s->memory)
        DeleteDC(s->memory);
    if (s->stripDc)
        ReleaseDC(s->strip, s->stripDc);
}

static int PrepareSurface(PaintSurface *s)
{
    s->stripDc = GetDC(s->strip);
    if (!s->stripDc)
        return -1;
    SetMapMode(s->stripDc, MM_TEXT);
    RECT client;
    if (!GetClientRect(s->strip, &client))
        return -1;
    s->width = client.right;
    s->height = client.bottom;
    if (s->width <= 0 || s->height <= 0)
        return -1;
    s->memory = CreateCompatibleDC(s->stripDc);
    if (!s->memory)
        return -1;
    SetMapMode(s->memory, MM_TEXT);
    s->bitmap = CreateCompatibleBitmap(s->stripDc, s->width, s->height);
    if (!s->bitmap)
        return -1;
    s->keptBitmap = SelectObject(s->memory, s->bitmap);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    SetTextColor(s->memory, RGB(255 - GetRValue(face), 255 - GetGValue(face), 255 - GetBValue(face)));
    SetBkColor(s->memory, face);
    s->brush = CreateSolidBrush(face);
    return s->brush ? 0 : -1;
}

DWORD WINAPI VuvovirAboutPaintThread(LPVOID dialog)
{
    PaintSurface s = {};
    s.strip = dialog ? GetDlgItem((HWND)dialog, IDC_VUVOVIR_ABOUT_STRIP) : nullptr;
    if (!s.strip)
        return 0;
    if (PrepareSurface(&s) != 0) {
        ReleaseSurface(&s);
        return 0;
    }
    int sine[SINE_TABLE_SIZE];
    BuildSineTable(sine);
    const int length = (int)strlen(VuvovirAboutText);
    SIZE text = {};
    GetTextExtentPoint32A(s.memory, VuvovirAboutText, length, &text);
    const int baseLine = s.height / 2 - text.cy / 2;
    // The columns are lifted from a little above the line so the wave's
    // crests stay whole.
    const int sourceLine = baseLine - WaveOffset(sine[45]);
    const RECT all = {0, 0, s.width, s.height};
    int x = s.width + 1;
    while (VuvovirEmulator.painterAlive) {
        DWORD started = GetTickCount();
        FillRect(s.memory, &all, s.brush);
        TextOutA(s.memory, x, baseLine, VuvovirAboutText, length);
        for (int c = 0; c < s.width; ++c)
            BitBlt(s.memory, c, baseLine + ColumnWaveOffset(sine, c), 1, s.height, s.memory, c,
                   sourceLine, SRCCOPY);
        BitBlt(s.stripDc, 0, 0, s.width, s.height, s.memory, 0, 0, SRCCOPY);
        DWORD spent = GetTickCount() - started;
        if (spent < VUVOVIR_PAINT_STEP_MS)
            Sleep(VUVOVIR_PAINT_STEP_MS - spent);
        x = NextTextPosition(x, text.cx, s.width);
    }
    ReleaseSurface(&s);
    return 1;
}
