#include "frame_drawing.h"

#include "note_geometry.h"

COLORREF ShadeColour(COLORREF colour)
{
    return (COLORREF)DarkenColour((uint32_t)colour);
}

void FillSolidRect(HDC dc, const RECT *r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    FillRect(dc, r, brush);
    DeleteObject(brush);
}
