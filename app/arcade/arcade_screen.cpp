// The machine's off-screen surface and the copy of each frame to the screen.
// The surface is a DIB section so that the composer works on its pixels
// directly; GDI only writes the frame-rate text and copies to the screen.
#include <string.h>

#include "arcade_core.h"
#include "arcade_platform.h"
#include "memory_bitmap.h"

// The one machine's screen and surface, from ArcadeInit to ArcadeStop.
struct ArcadeScreen {
    HDC screenDc;
    HWND screenWindow;
    // Where the screen was when the frames' device context was taken, and the
    // context the renderer took itself after the screen moved or changed size.
    RECT screenPlace;
    HDC renderDc;
    HDC surfaceDc;
    HBITMAP surfaceBitmap;
    HGDIOBJ keptBitmap;
    uint32_t *surfaceBits;
    int fontHeight;
};
static ArcadeScreen Screen;

int CreateArcadeSurface(HDC dc, HWND window)
{
    if (!dc)
        return -1;
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(dc, ArcadeSurfaceWidth, ArcadeSurfaceHeight, &bits);
    HDC memoryDc = SelectIntoMemoryDc(dc, bitmap, &Screen.keptBitmap);
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
    Screen.fontHeight = GetTextMetricsA(memoryDc, &metrics) ? metrics.tmHeight : 16;

    Screen.screenDc = dc;
    Screen.screenWindow = window;
    if (!window || !GetWindowRect(window, &Screen.screenPlace))
        SetRectEmpty(&Screen.screenPlace);
    Screen.renderDc = nullptr;
    Screen.surfaceDc = memoryDc;
    Screen.surfaceBitmap = bitmap;
    Screen.surfaceBits = (uint32_t *)bits;
    return 0;
}

void ReleaseArcadeSurface(void)
{
    if (!Screen.surfaceDc)
        return;
    FreeMemoryBitmap(&Screen.surfaceDc, &Screen.surfaceBitmap, &Screen.keptBitmap);
    Screen.surfaceBits = nullptr;
    if (Screen.renderDc)
        ReleaseDC(Screen.screenWindow, Screen.renderDc);
    Screen.renderDc = nullptr;
    Screen.screenDc = nullptr;
    Screen.screenWindow = nullptr;
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
    if (!Screen.screenWindow || !GetWindowRect(Screen.screenWindow, &now))
        return Screen.renderDc ? Screen.renderDc : Screen.screenDc;
    if (!EqualRect(&now, &Screen.screenPlace)) {
        if (Screen.renderDc)
            ReleaseDC(Screen.screenWindow, Screen.renderDc);
        Screen.renderDc = GetDC(Screen.screenWindow);
        Screen.screenPlace = now;
    }
    return Screen.renderDc ? Screen.renderDc : Screen.screenDc;
}

HDC ArcadeSurfaceDc(void)
{
    return Screen.surfaceDc;
}

void ArcadeDecodeChars(void)
{
    if (!Screen.surfaceBits)
        return;
    ArcadeDrawTiles(Arcade.charRom, Screen.surfaceBits);
    // The tile sets stay on the screen until the first frame is drawn.
    BitBlt(Screen.screenDc, 0, 0, ArcadePictureWidth, ArcadePictureHeight, Screen.surfaceDc, 0, 0, SRCCOPY);
    GdiFlush();
    ArcadeTakeBackgroundShadow();
}

void ArcadeRender(void)
{
    if (!Screen.surfaceBits)
        return;
    // The last frame's text and copies may still sit in GDI's batch.
    GdiFlush();
    ArcadeComposeFrame(Screen.surfaceBits);
    if (Arcade.showFrameRate.load(std::memory_order_relaxed))
        TextOutA(Screen.surfaceDc, 0, ArcadePictureHeight - Screen.fontHeight, ArcadeFrameRateText,
                 (int)strlen(ArcadeFrameRateText));
    HDC screen = FrameDc();
    RECT client;
    if (Arcade.stretch.load(std::memory_order_relaxed) && GetClientRect(Screen.screenWindow, &client)) {
        SetStretchBltMode(screen, COLORONCOLOR);
        StretchBlt(screen, 0, 0, client.right - client.left, client.bottom - client.top, Screen.surfaceDc, 0, 0,
                   ArcadePictureWidth, ArcadePictureHeight, SRCCOPY);
    } else {
        BitBlt(screen, 0, 0, ArcadePictureWidth, ArcadePictureHeight, Screen.surfaceDc, 0, 0, SRCCOPY);
    }
    GdiFlush();
}
