#include "sun_shade_gdi.h"

#include "clock_seam.h"
#include "sun_shade.h"

static int Brighter(int channel)
{
    channel += 100;
    return channel > 255 ? 255 : channel;
}

void BrightenMapSpan(HDC destination, HDC source, int row, int x, int width)
{
    // The map's pixels carry alpha 0, so a per-pixel-alpha blend adds the
    // source onto the copy channel by channel.
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (AlphaBlend(destination, x, row, width, 1, source, x, row, width, 1, blend))
        return;
    for (int column = x; column < x + width; ++column) {
        COLORREF pixel = GetPixel(source, column, row);
        if (pixel == CLR_INVALID)
            continue;
        SetPixel(destination, column, row,
                 RGB(Brighter(GetRValue(pixel)), Brighter(GetGValue(pixel)),
                     Brighter(GetBValue(pixel))));
    }
}

static void BrightenSpan(void *context, int row, int x, int width)
{
    const SunShadeGdi *shade = (const SunShadeGdi *)context;
    BrightenMapSpan(shade->destination, shade->source, row, x, width);
}

static void RestoreSpan(void *context, int row, int x, int width)
{
    const SunShadeGdi *shade = (const SunShadeGdi *)context;
    BitBlt(shade->destination, x, row, width, 1, shade->source, x, row, SRCCOPY);
}

int InitSunShade(SunShadeGdi *shade, HDC destination, HDC source, int width, int height)
{
    FreeSunShade(shade);
    shade->destination = destination;
    shade->source = source;
    if (NewSunState(&shade->state, width, height, ZtUniversalNow()) != 0)
        return -1;
    shade->current = &shade->state;
    return 0;
}

int UpdateSunShade(SunShadeGdi *shade)
{
    if (!shade->current)
        return -1;
    SpanSink sink = {shade, BrightenSpan, RestoreSpan};
    return UpdateSunShadeAt(shade->current, ZtUniversalNow(), sink);
}

void FreeSunShade(SunShadeGdi *shade)
{
    if (shade->current)
        FreeSunState(shade->current);
    shade->current = nullptr;
}
