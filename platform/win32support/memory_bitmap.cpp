#include "memory_bitmap.h"

HBITMAP CreateTopDownBitmap(HDC reference, int width, int height, void **bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap && !pixels) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (bits)
        *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

HDC SelectIntoMemoryDc(HDC reference, HBITMAP bitmap, HGDIOBJ *kept)
{
    *kept = nullptr;
    if (!bitmap)
        return nullptr;
    HDC dc = CreateCompatibleDC(reference);
    if (!dc)
        return nullptr;
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (!old || old == HGDI_ERROR) {
        DeleteDC(dc);
        return nullptr;
    }
    *kept = old;
    return dc;
}

void FreeMemoryBitmap(HDC *dc, HBITMAP *bitmap, HGDIOBJ *kept)
{
    if (*dc) {
        if (*kept)
            SelectObject(*dc, *kept);
        DeleteDC(*dc);
    }
    if (*bitmap)
        DeleteObject(*bitmap);
    *dc = nullptr;
    *bitmap = nullptr;
    *kept = nullptr;
}
