#include "editor_caret.h"

#include <richedit.h>

#include <cstdlib>

#include "caret_shape.h"
#include "note_edit.h"
#include "core/notes_table/zettly_settings.h"

static void MeasureFont(HWND edit, const CHARFORMAT2A &format, int32_t twips,
                        CaretMetricsCache *cache, int32_t *height, int32_t *width)
{
    HDC dc = GetDC(edit);
    if (!dc)
        return;
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(twips, GetDeviceCaps(dc, LOGPIXELSY), 1440);
    font.lfCharSet = format.bCharSet;
    font.lfPitchAndFamily = format.bPitchAndFamily;
    lstrcpynA(font.lfFaceName, format.szFaceName, LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = handle ? SelectObject(dc, handle) : nullptr;
    TEXTMETRICA metrics;
    if (handle && GetTextMetricsA(dc, &metrics)) {
        *height = metrics.tmHeight;
        *width = metrics.tmAveCharWidth;
        StoreCaretMetrics(cache, twips, GetTickCount(), *height, *width);
    }
    if (old)
        SelectObject(dc, old);
    if (handle)
        DeleteObject(handle);
    ReleaseDC(edit, dc);
}

void UpdateZettlyCaret(HWND edit, BOOL reset)
{
    int style = ZettlyInfo.caretStyle;
    if (style <= CARET_STYLE_SYSTEM || style > CARET_STYLE_LAST)
        return;
    // Only a note's editor has the state that keeps a line caret from being
    // lowered again at every paint.
    ZettlyEditState *s = (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
    if (!s)
        return;
    CaretMetricsCache *metrics = &s->caretMetrics;
    LineCaretMemory *lineMemory = &s->caretLine;
    if (reset || !s->caretLineKnown) {
        s->caretLine = LineCaretMemory{-1, -1};
        s->caretLineKnown = TRUE;
    }
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    int32_t twips = std::abs((int32_t)format.yHeight);
    int32_t height = twips, width = twips / 2;
    if (!FindCaretMetrics(metrics, twips, GetTickCount(), &height, &width))
        MeasureFont(edit, format, twips, metrics, &height, &width);

    POINT at = {0, 0};
    GetCaretPos(&at);
    LONG line = (LONG)SendMessageA(edit, EM_LINEFROMCHAR, (WPARAM)-1, 0);
    CaretPlacement p = PlaceCustomCaret(style, height, width, at.x, at.y, line, lineMemory);

    DestroyCaret();
    CHARRANGE sel = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&sel);
    if (sel.cpMin != sel.cpMax)
        return;
    CreateCaret(edit, nullptr, p.width, p.height);
    SetCaretPos(p.x, p.y);
    ShowCaret(edit);
}
