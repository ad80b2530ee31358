// The machine's off-screen surface and the copy of each frame to the screen.
// The surface is a DIB section so that the composer works on its pixels
// directly; GDI only writes the frame-rate text and copies to the screen.
#include <string.h>

#include "arcade_core.h"
#include "arcade_platform.h"
#include "memory_bitmap.h"

int CreateArcadeSurface(HDC dc, HWND window)
{
    ArcadeScreen &screen = ArcadeWin32.screen;
    if (!dc)
        return -1;
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(dc, ArcadeSurfaceWidth, ArcadeSurfaceHeight, &bits);
    HDC memoryDc = SelectIntoMemoryDc(dc, bitmap, &screen.keptBitmap);
    if (!memoryDc) {
        if (bitmap)
            DeleteObject(bitmap);
        return -1;
    }
    SetMapMode(memoryDc, MM_TEXT);
    memset(bits, 0, (size_t)ArcadeSurfaceWidth * ArcadeSurfaceHeight * sizeof(uint32_t));
    RECT picture = {0, 0, ArcadePictureWidth, ArcadePictureHeight};
    FillRect(dc, &picture, (HBRUSH)GetStockObject(BLACK_BRUSH));

    SetTextColor(memoryDc, RGB(255, 255, 255));
    SetBkColor(memoryDc, RGB(0, 0, 0));
    SetBkMode(memoryDc, OPAQUE);
    TEXTMETRICA metrics;
    screen.fontHeight = GetTextMetricsA(memoryDc, &metrics) ? metrics.tmHeight : 16;

    screen.screenDc = dc;
    screen.screenWindow = window;
    if (!window || !GetWindowRect(window, &screen.screenPlace))
        SetRectEmpty(&screen.screenPlace);
    screen.renderDc = nullptr;
    screen.surfaceDc = memoryDc;
    screen.surfaceBitmap = bitmap;
    screen.surfaceBits = (uint32_t *)bits;
    return 0;
}

void ReleaseArcadeSurface(void)
{
    ArcadeScreen &screen = ArcadeWin32.screen;
    if (!screen.surfaceDc)
        return;
    FreeMemoryBitmap(&screen.surfaceDc, &screen.surfaceBitmap, &screen.keptBitmap);
    screen.surfaceBits = nullptr;
    if (screen.renderDc)
        ReleaseDC(screen.screenWindow, screen.renderDc);
    screen.renderDc = nullptr;
    screen.screenDc = nullptr;
    screen.screenWindow = nullptr;
}

// The dialog moves and resizes the screen on its own thread while frames are
// drawn here. A device context re-reads its visible region on its next use
// after such a change, but a change that lands while this thread is in the
// middle of that re-reading is lost (so Wine does it), and the context keeps
// the old region for good: a stretched picture stays cut to the old size. So
// the renderer looks at the screen's place before each frame and, when it
// changed, draws through a context taken afresh after the change.
static HDC FrameDc(void)
{
    ArcadeScreen &screen = ArcadeWin32.screen;
    RECT now;
    if (!screen.screenWindow || !GetWindowRect(screen.screenWindow, &now))
        return screen.renderDc ? screen.renderDc : screen.screenDc;
    if (!EqualRect(&now, &screen.screenPlace)) {
        if (screen.renderDc)
            ReleaseDC(screen.screenWindow, screen.renderDc);
        screen.renderDc = GetDC(screen.screenWindow);
        screen.screenPlace = now;
    }
    return screen.renderDc ? screen.renderDc : screen.screenDc;
}

HDC ArcadeSurfaceDc(void)
{
    return ArcadeWin32.screen.surfaceDc;
}

void ArcadeDecodeChars(void)
{
    ArcadeScreen &screen = ArcadeWin32.screen;
    if (!screen.surfaceBits)
        return;
    ArcadeDrawTiles(Arcade.charRom, screen.surfaceBits);
    // The tile sets stay on the screen until the first frame is drawn.
    BitBlt(screen.screenDc, 0, 0, ArcadePictureWidth, ArcadePictureHeight, screen.surfaceDc, 0, 0, SRCCOPY);
    GdiFlush();
    ArcadeTakeBackgroundShadow();
}

void ArcadeRender(void)
{
    ArcadeScreen &screen = ArcadeWin32.screen;
    if (!screen.surfaceBits)
        return;
    // The last frame's text and copies may still sit in GDI's batch.
    GdiFlush();
    ArcadeComposeFrame(screen.surfaceBits);
    if (Arcade.showFrameRate.load(std::memory_order_relaxed))
        TextOutA(screen.surfaceDc, 0, ArcadePictureHeight - screen.fontHeight, ArcadeKept.frameRateText,
                 (int)strlen(ArcadeKept.frameRateText));
    HDC target = FrameDc();
    RECT client;
    if (Arcade.stretch.load(std::memory_order_relaxed) && GetClientRect(screen.screenWindow, &client)) {
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, screen.surfaceDc,
                   0, 0, ArcadePictureWidth, ArcadePictureHeight, SRCCOPY);
    } else {
        BitBlt(target, 0, 0, ArcadePictureWidth, ArcadePictureHeight, screen.surfaceDc, 0, 0, SRCCOPY);
    }
    GdiFlush();
}
