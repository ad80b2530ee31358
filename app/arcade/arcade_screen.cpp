// The machine's off-screen surface and the copy of each frame to the screen.
// The surface is a DIB section so that the composer works on its pixels
// directly; GDI only writes the frame-rate text and copies to the screen.
#include <string.h>

#include "arcade_core.h"
#include "arcade_platform.h"
#include "memory_bitmap.h"

static HDC screenDc;
static HWND screenWindow;
// Where the screen was when the frames' device context was taken, and the
// context the renderer took itself after the screen moved or changed size.
static RECT screenPlace;
static HDC renderDc;
static HDC surfaceDc;
static HBITMAP surfaceBitmap;
static HGDIOBJ keptBitmap;
static uint32_t *surfaceBits;
static int fontHeight;

int CreateArcadeSurface(HDC dc, HWND window)
{
    if (!dc)
        return -1;
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(dc, ArcadeSurfaceWidth, ArcadeSurfaceHeight, &bits);
    HDC memoryDc = SelectIntoMemoryDc(dc, bitmap, &keptBitmap);
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
    fontHeight = GetTextMetricsA(memoryDc, &metrics) ? metrics.tmHeight : 16;

    screenDc = dc;
    screenWindow = window;
    if (!window || !GetWindowRect(window, &screenPlace))
        SetRectEmpty(&screenPlace);
    renderDc = nullptr;
    surfaceDc = memoryDc;
    surfaceBitmap = bitmap;
    surfaceBits = (uint32_t *)bits;
    return 0;
}

void ReleaseArcadeSurface(void)
{
    if (!surfaceDc)
        return;
    FreeMemoryBitmap(&surfaceDc, &surfaceBitmap, &keptBitmap);
    surfaceBits = nullptr;
    if (renderDc)
        ReleaseDC(screenWindow, renderDc);
    renderDc = nullptr;
    screenDc = nullptr;
    screenWindow = nullptr;
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
    RECT now;
    if (!screenWindow || !GetWindowRect(screenWindow, &now))
        return renderDc ? renderDc : screenDc;
    if (!EqualRect(&now, &screenPlace)) {
        if (renderDc)
            ReleaseDC(screenWindow, renderDc);
        renderDc = GetDC(screenWindow);
        screenPlace = now;
    }
    return renderDc ? renderDc : screenDc;
}

HDC ArcadeSurfaceDc(void)
{
    return surfaceDc;
}

void ArcadeDecodeChars(void)
{
    if (!surfaceBits)
        return;
    ArcadeDrawTiles(Arcade.charRom, surfaceBits);
    // The tile sets stay on the screen until the first frame is drawn.
    BitBlt(screenDc, 0, 0, ArcadePictureWidth, ArcadePictureHeight, surfaceDc, 0, 0, SRCCOPY);
    GdiFlush();
    ArcadeTakeBackgroundShadow();
}

void ArcadeRender(void)
{
    if (!surfaceBits)
        return;
    // The last frame's text and copies may still sit in GDI's batch.
    GdiFlush();
    ArcadeComposeFrame(surfaceBits);
    if (Arcade.showFrameRate.load(std::memory_order_relaxed))
        TextOutA(surfaceDc, 0, ArcadePictureHeight - fontHeight, ArcadeFrameRateText,
                 (int)strlen(ArcadeFrameRateText));
    HDC screen = FrameDc();
    RECT client;
    if (Arcade.stretch.load(std::memory_order_relaxed) && GetClientRect(screenWindow, &client)) {
        SetStretchBltMode(screen, COLORONCOLOR);
        StretchBlt(screen, 0, 0, client.right - client.left, client.bottom - client.top, surfaceDc, 0, 0,
                   ArcadePictureWidth, ArcadePictureHeight, SRCCOPY);
    } else {
        BitBlt(screen, 0, 0, ArcadePictureWidth, ArcadePictureHeight, surfaceDc, 0, 0, SRCCOPY);
    }
    GdiFlush();
}
