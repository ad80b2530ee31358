// What an owner-drawn control of a window looks like, drawn by the window
// into a bitmap of the test's own.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

inline std::vector<COLORREF> OwnerDrawnPixels(HWND parent, int id, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = (UINT)id;
    item.hwndItem = GetDlgItem(parent, id);
    item.hDC = dc;
    item.rcItem = {0, 0, width, height};
    SendMessageA(parent, WM_DRAWITEM, (WPARAM)id, (LPARAM)&item);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// Whether anything was drawn besides the plain button face.
inline bool DrawnBeyondTheFace(const std::vector<COLORREF> &pixels)
{
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    return std::any_of(pixels.begin(), pixels.end(), [&](COLORREF c) { return c != face; });
}
