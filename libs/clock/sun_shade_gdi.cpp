#include "sun_shade_gdi.h"

#include "clock_seams.h"
#include "sun_shade.h"

static SunShadeState State;
static SunShadeState *Current; // null until the first initialisation
static HDC Destination, Source;

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

static void BrightenSpan(void *, int row, int x, int width)
{
    BrightenMapSpan(Destination, Source, row, x, width);
}

static void RestoreSpan(void *, int row, int x, int width)
{
    BitBlt(Destination, x, row, width, 1, Source, x, row, SRCCOPY);
}

int InitSunShade(HDC destination, HDC source, int width, int height)
{
    Destination = destination;
    Source = source;
    FreeSunShade();
    if (NewSunState(&State, width, height, ClockUniversalNow()) != 0)
        return -1;
    Current = &State;
    return 0;
}

int UpdateSunShade(void)
{
    if (!Current)
        return -1;
    SpanSink sink = {nullptr, BrightenSpan, RestoreSpan};
    return UpdateSunShadeAt(Current, ClockUniversalNow(), sink);
}

void FreeSunShade(void)
{
    if (Current)
        FreeSunState(Current);
    Current = nullptr;
}

bool SunShadeExists(void)
{
    return Current != nullptr;
}
