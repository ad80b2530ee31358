#include "frame_drawing.h"

static BYTE Darken(BYTE value)
{
    return value > 30 ? (BYTE)(value - 30) : 0;
}

COLORREF ShadeColour(COLORREF colour)
{
    return RGB(Darken(GetRValue(colour)), Darken(GetGValue(colour)), Darken(GetBValue(colour)));
}

COLORREF NearestColour(HDC dc, COLORREF colour)
{
    return GetNearestColor(dc, ShadeColour(colour));
}

void FillGradientRect(HDC dc, COLORREF left, COLORREF right, const RECT *rect)
{
    int width = rect->right - rect->left;
    if (width <= 0)
        return;
    float red = GetRValue(left), green = GetGValue(left), blue = GetBValue(left);
    float redStep = (float)(GetRValue(right) - GetRValue(left)) / (float)width;
    float greenStep = (float)(GetGValue(right) - GetGValue(left)) / (float)width;
    float blueStep = (float)(GetBValue(right) - GetBValue(left)) / (float)width;
    for (int i = 0; i < width; ++i) {
        RECT column = {rect->left + i, rect->top, rect->left + i + 1, rect->bottom};
        HBRUSH brush = CreateSolidBrush(RGB((BYTE)red, (BYTE)green, (BYTE)blue));
        if (brush) {
            FillRect(dc, &column, brush);
            DeleteObject(brush);
        }
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
}
